#pragma once

#include <EventFilter.h>
#include <MessageType.h>

#include <velora_listener/ParserEventListener.h>

#include <QObject>
#include <QString>

#include <atomic>
#include <string>

class FilterWidget;

// Turns the parser's reports into log messages: drops what the filter hides, decodes
// the rest into text and emits one newLogMessage per frame. The callbacks and both
// signals run on the reader thread; receivers in the user interface connect queued.
class EventListener : public QObject, public velora_listener::ParserEventListener {
    Q_OBJECT

public:
    explicit EventListener(QObject* parent = nullptr);
    ~EventListener() override = default;

    EventFilter& filter() { return messageFilter; }
    const EventFilter& filter() const { return messageFilter; }
    bool isSendingRawData() const { return sendRawData.load(std::memory_order_relaxed); }

    // Ties the filter panel's signals to the filter's slots.
    void connectFilterWidget(FilterWidget* widget);

    // Two upper-case hexadecimal digits: 0x0A gives "0A".
    static std::string toHexByte(int value);
    // The bytes' pairs joined by single blanks: "01 AB 0F".
    static std::string toHexString(const std::vector<std::uint8_t>& bytes);

    void onQuery(int address) override;
    void onShortAnswer(int address, int answerByte) override;
    void onLongAnswer(int address, const std::vector<std::uint8_t>& bytes) override;
    void onLongAnswerAck(int address, int ackByte) override;
    void onCommand(int address, const std::vector<std::uint8_t>& bytes) override;
    void onCommandAck(int address, int ackByte) override;
    void onTrash(const std::vector<std::uint8_t>& bytes) override;
    void onConnectionLost() override;

signals:
    void newLogMessage(int type, int address, QString text, QString rawData);
    void disconnectDetected();

public slots:
    // Messages of types 1..6 carry their raw bytes from now on; there is no way back.
    void enableSendRawData();

private:
    // A one-byte frame with a fixed text (not yet translated).
    void reportByte(MessageType type, int address, int byte, const char* text);
    // A decoded frame that passed the filter.
    void reportFrame(MessageType type, int address, const std::wstring& text,
                     const std::vector<std::uint8_t>& bytes);

    std::atomic<bool> sendRawData{false};
    EventFilter messageFilter;
};
