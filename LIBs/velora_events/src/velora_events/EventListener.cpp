#include <velora_decoding/FrameText.h>
#include <velora_events/EventListener.h>

#include <QMetaMethod>

EventListener::EventListener(QObject* parent)
    : QObject(parent) {
    qRegisterMetaType<velora_decoding::LogMessage>();
}

std::string EventListener::toHexByte(int value) {
    return velora_decoding::hexByte(value);
}

std::string EventListener::toHexString(const std::vector<std::uint8_t>& bytes) {
    return velora_decoding::hexBytes(bytes);
}

void EventListener::onFrame(const velora_protocol::Frame& frame) {
    // Nobody takes the messages (the desktop log reads the session instead): no decoding.
    static const QMetaMethod textSignal = QMetaMethod::fromSignal(&EventListener::newLogMessage);
    static const QMetaMethod messageSignal = QMetaMethod::fromSignal(&EventListener::logMessage);
    if (!messageFilter.passes(frame.type, frame.address) ||
        (!isSignalConnected(textSignal) && !isSignalConnected(messageSignal))) {
        return;
    }
    const velora_decoding::LogMessage message = velora_decoding::decode(frame);
    // Trash carries its bytes whether raw mode is on or not.
    const bool withBytes = frame.type == mtTrash || isSendingRawData();
    emit newLogMessage(
        frame.type, frame.address, QString::fromStdString(message.text),
        withBytes ? QString::fromStdString(velora_decoding::hexBytes(frame.begin(), frame.end()))
                  : QString());
    emit logMessage(message);
}

void EventListener::onConnectionLost() {
    emit disconnectDetected();
}

void EventListener::enableSendRawData() {
    sendRawData.store(true, std::memory_order_relaxed);
}
