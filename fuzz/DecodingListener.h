#pragma once

#include "FuzzCheck.h"

#include <velora_events/EventListener.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QObject>
#include <QString>

#include <cstddef>

// An event listener in raw-data mode with every frame kind and address shown, checking
// each log message it emits.
class DecodingListener {
public:
    DecodingListener() {
        listener.enableSendRawData();
        QObject::connect(&listener, &EventListener::newLogMessage,
                         [this](int type, int address, const QString& text,
                                const QString& rawData) { check(type, address, text, rawData); });
    }

    // Hands one parser report to the listener; returns whether it must show a message.
    bool deliver(const velora_traffic::Event& event) {
        listener.onFrame(velora_protocol::Frame::of(static_cast<MessageType>(event.type),
                                                    event.address, event.bytes.begin(),
                                                    event.bytes.end()));
        if (event.type == mtTrash) {
            return true;
        }
        return event.address >= 1 && event.address <= 126;
    }

    std::size_t messages = 0;

private:
    void check(int type, int address, const QString& text, const QString& rawData) {
        ++messages;
        FUZZ_CHECK(type >= 1 && type <= 7);
        FUZZ_CHECK(type == 7 ? address == 0 : address >= 1 && address <= 126);
        FUZZ_CHECK(!text.isEmpty() && !rawData.isEmpty());
        if (type == 3) {
            FUZZ_CHECK(text.startsWith(QStringLiteral("Ответ: ")) && text.endsWith('.'));
            FUZZ_CHECK(rawData.size() == 29);
        }
        if (type == 5) {
            FUZZ_CHECK(text.startsWith(QStringLiteral("Команда: ")) && text.endsWith('.'));
            FUZZ_CHECK(rawData.size() == 23);
        }
    }

    EventListener listener;
};
