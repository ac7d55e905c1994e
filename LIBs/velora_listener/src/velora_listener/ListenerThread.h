#pragma once

#include <velora_listener/ParserEventListener.h>

#include <atomic>
#include <thread>

namespace rs485 {
class RS485Connection;
}

namespace velora_listener {

// The reader thread: reads the line byte by byte into a fresh ProtocolParser and reports a
// lost converter once through onConnectionLost(). Neither pointer is owned.
class ListenerThread {
public:
    ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener);
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

private:
    void run();

    std::thread reader;
    rs485::RS485Connection* connection;
    ParserEventListener* listener;
    std::atomic<bool> stopRequested{false};
};

} // namespace velora_listener
