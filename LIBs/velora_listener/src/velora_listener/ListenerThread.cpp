#include <velora_listener/ListenerThread.h>
#include <velora_listener/ProtocolParser.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>

#include <cstdint>
#include <utility>

namespace velora_listener {

ListenerThread::ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener)
    : ListenerThread(connection, listener, [connection](void* buffer, std::uint32_t length) {
        return connection->read(buffer, length);
    }) {}

ListenerThread::ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener,
                               ReadCall readCall)
    : connection(connection)
    , listener(listener)
    , readCall(std::move(readCall)) {}

ListenerThread::~ListenerThread() {
    stop();
}

void ListenerThread::start() {
    stop();
    stopRequested = false;
    reader = std::thread(&ListenerThread::run, this);
}

void ListenerThread::stop() {
    if (!reader.joinable()) {
        return;
    }
    stopRequested = true;
    reader.join();
}

void ListenerThread::run() {
    ProtocolParser parser(listener);
    try {
        // Bytes that arrived while nobody listened are not parsed.
        connection->purge();
        while (!stopRequested) {
            std::uint8_t byte = 0;
            if (readCall(&byte, 1) == 1) {
                if (byteTap) {
                    byteTap(byte);
                }
                parser.feed(byte, velora_protocol::Timestamp::now());
            }
        }
    } catch (const rs485::DisconnectException&) {
        listener->onConnectionLost();
    }
}

} // namespace velora_listener
