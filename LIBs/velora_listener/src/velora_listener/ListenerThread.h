#pragma once

#include <velora_listener/LineReader.h>
#include <velora_listener/ParserEventListener.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace rs485 {
class RS485Connection;
}

namespace velora_listener {

class ProtocolParser;

// The reader thread: runs a LineReader into a fresh ProtocolParser, ends the parser's stream
// when reading ends (ProtocolParser::endOfStream) and reports a lost converter once through
// onConnectionLost(). Neither pointer is owned.
class ListenerThread {
public:
    using ReadCall = LineReader::ReadCall;

    // Reads through connection->read(), or through readCall when given; see LineReader.
    ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener,
                   ReadCall readCall = {});
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
    // Runs `visit` on the reader thread between two reads, with the parser as it stands
    // (every frame before its pending bytes handed to the listener), and returns once it
    // ran; false, without running it, when no reader reads.
    bool visitParser(const std::function<void(const ProtocolParser&)>& visit);

private:
    void run();
    // Runs a visit asked for; `last` when the reader ends.
    void serveVisit(const ProtocolParser& parser, bool last = false);

    std::thread reader;
    rs485::RS485Connection* connection;
    ParserEventListener* listener;
    ReadCall readCall;
    std::function<void(std::uint8_t)> byteTap;
    std::atomic<bool> stopRequested{false};
    std::mutex visitLock;
    std::condition_variable visited;
    const std::function<void(const ProtocolParser&)>* visitRequest = nullptr;
    bool reading = false;
};

} // namespace velora_listener
