#pragma once

#include <velora_decoding/LogMessage.h>
#include <velora_events/EventFilter.h>

#include <velora_listener/ParserEventListener.h>
#include <velora_protocol/MessageType.h>

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Turns the parser's reports into log messages: drops what the filter hides, decodes
// the rest into text and emits newLogMessage per frame, and logMessage with the frame's
// bytes and times. The callbacks and the signals run on the reader thread; receivers in
// the user interface connect queued.
class EventListener : public QObject, public velora_listener::ParserEventListener {
    Q_OBJECT

public:
    explicit EventListener(QObject* parent = nullptr);
    ~EventListener() override = default;

    EventFilter& filter() { return messageFilter; }
    const EventFilter& filter() const { return messageFilter; }
    bool isSendingRawData() const { return sendRawData.load(std::memory_order_relaxed); }

    // Ties the filter panel's signals to the filter's slots. A template, so that the
    // panel's class stays with the application that owns it.
    template <typename FilterPanel>
    void connectFilterWidget(FilterPanel* widget) {
        connect(widget, &FilterPanel::typesChanged, &messageFilter, &EventFilter::setTypes);
        connect(widget, &FilterPanel::addressChanged, &messageFilter, &EventFilter::setAddress);
        connect(widget, &FilterPanel::allAddressesChanged, &messageFilter,
                &EventFilter::setAllAddresses);
    }

    // Two upper-case hexadecimal digits: 0x0A gives "0A".
    static std::string toHexByte(int value);
    // The bytes' pairs joined by single blanks: "01 AB 0F".
    static std::string toHexString(const std::vector<std::uint8_t>& bytes);

    void onFrame(const velora_protocol::Frame& frame) override;
    void onConnectionLost() override;

signals:
    void newLogMessage(int type, int address, QString text, QString rawData);
    // The same message with its frame: bytes and the times of its first and last byte.
    void logMessage(const velora_decoding::LogMessage& message);
    void disconnectDetected();

public slots:
    // Messages of types 1..6 carry their raw bytes from now on; there is no way back.
    void enableSendRawData();

private:
    std::atomic<bool> sendRawData{false};
    EventFilter messageFilter;
};

Q_DECLARE_METATYPE(velora_decoding::LogMessage)
