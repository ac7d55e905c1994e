#include <EventListener.h>

#include <AnswerDecoder.h>

#include <config_velora_tq4/Command.h>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHexByte(std::string& out, int value) {
    out += kHexDigits[(value >> 4) & 0x0F];
    out += kHexDigits[value & 0x0F];
}

} // namespace

EventListener::EventListener(QObject* parent)
    : QObject(parent) {}

std::string EventListener::toHexByte(int value) {
    std::string hex;
    appendHexByte(hex, value);
    return hex;
}

std::string EventListener::toHexString(const std::vector<std::uint8_t>& bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) {
            hex += ' ';
        }
        appendHexByte(hex, bytes[i]);
    }
    return hex;
}

void EventListener::reportByte(MessageType type, int address, int byte, const char* text) {
    if (!messageFilter.passes(type, address)) {
        return;
    }
    emit newLogMessage(type, address, tr(text),
                       isSendingRawData() ? QString::fromStdString(toHexByte(byte)) : QString());
}

void EventListener::reportFrame(MessageType type, int address, const std::wstring& text,
                                const std::vector<std::uint8_t>& bytes) {
    emit newLogMessage(type, address, QString::fromStdWString(text),
                       isSendingRawData() ? QString::fromStdString(toHexString(bytes)) : QString());
}

void EventListener::onQuery(int address) {
    // The poll byte is the address itself.
    const int pollByte = address & 0xFF;
    reportByte(mtQuery, pollByte, pollByte, QT_TR_NOOP("Опрос"));
}

void EventListener::onShortAnswer(int address, int answerByte) {
    reportByte(mtShortAnswer, address, answerByte, QT_TR_NOOP("Ответ: нет данных"));
}

void EventListener::onLongAnswer(int address, const std::vector<std::uint8_t>& bytes) {
    if (!messageFilter.passes(mtLongAnswer, address)) {
        return;
    }
    reportFrame(mtLongAnswer, address, AnswerDecoder(bytes).text(), bytes);
}

void EventListener::onLongAnswerAck(int address, int ackByte) {
    reportByte(mtLongAnswerAck, address, ackByte, QT_TR_NOOP("Подтверждение"));
}

void EventListener::onCommand(int address, const std::vector<std::uint8_t>& bytes) {
    if (!messageFilter.passes(mtCommand, address)) {
        return;
    }
    // The address has a column of its own in the log.
    reportFrame(mtCommand, address, config_velora_tq4::Command(bytes, false).text(true), bytes);
}

void EventListener::onCommandAck(int address, int ackByte) {
    reportByte(mtCommandAck, address, ackByte, QT_TR_NOOP("Подтверждение"));
}

void EventListener::onTrash(const std::vector<std::uint8_t>& bytes) {
    if (!messageFilter.passes(mtTrash, 0)) {
        return;
    }
    // Trash carries its bytes whether raw mode is on or not.
    const QString hex = QString::fromStdString(toHexString(bytes));
    emit newLogMessage(mtTrash, 0, tr("Байты: ") + hex, hex);
}

void EventListener::onConnectionLost() {
    emit disconnectDetected();
}

void EventListener::enableSendRawData() {
    sendRawData.store(true, std::memory_order_relaxed);
}
