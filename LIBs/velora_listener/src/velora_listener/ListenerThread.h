#pragma once

#include <velora_listener/ParserEventListener.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace rs485 {
class RS485Connection;
}

namespace velora_listener {

// The reader thread: reads the line byte by byte into a fresh ProtocolParser and reports a
// lost converter once through onConnectionLost(). Neither pointer is owned.
class ListenerThread {
public:
    // One read of the line: up to length bytes into buffer, 0 after a silent read time-out;
    // throws rs485::DisconnectException when the converter is lost.
    using ReadCall = std::function<std::uint32_t(void* buffer, std::uint32_t length)>;

    // Reads through connection->read().
    ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener);
    // Reads through readCall; the connection is still the one purged at every start. Lets a
    // test stand in for a converter that fails where the system cannot make it fail.
    ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener,
                   ReadCall readCall);
    virtual ~ListenerThread();

    ListenerThread(const ListenerThread&) = delete;
    ListenerThread& operator=(const ListenerThread&) = delete;

    // Stops a previous reader, then starts a new one (which purges the port first).
    void start();
    // Asks the reader to stop and joins it; it returns within one read time-out. After
    // stop() the reader touches neither the connection nor the listener. Without a reader
    // it returns at once.
    void stop();
    // True while a reader is attached, also after a lost converter ended it, until stop().
    bool isRunning() const { return reader.joinable(); }
    // Receives every byte read, on the reader thread, before the parser does (a raw
    // capture of the line). Set only while no reader runs.
    void setByteTap(std::function<void(std::uint8_t)> tap) { byteTap = std::move(tap); }

private:
    void run();

    std::thread reader;
    rs485::RS485Connection* connection;
    ParserEventListener* listener;
    ReadCall readCall;
    std::function<void(std::uint8_t)> byteTap;
    std::atomic<bool> stopRequested{false};
};

} // namespace velora_listener
