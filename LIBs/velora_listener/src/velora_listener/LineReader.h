#pragma once

#include <cstdint>
#include <functional>

namespace rs485 {
class RS485Connection;
}

namespace velora_listener {

class ProtocolParser;

// How reading a live line ended.
enum class ReadEnd { Stopped, ConverterLost, OutputFailed };

// The reading loop of a live line, the same for the desktop program and the command-line
// tools: reads an open port byte by byte on the calling thread and feeds every byte, timed
// on arrival, to the parser. Bytes that arrived before run() are dropped. Once a second
// the converter's error counts go to the parser's listener.
class LineReader {
public:
    // One read of the line: up to length bytes into buffer, 0 after a silent read time-out;
    // throws rs485::DisconnectException when the converter is lost.
    using ReadCall = std::function<std::uint32_t(void* buffer, std::uint32_t length)>;
    // Hands on what the parser's listener collected; false when it can no longer be written.
    using Flush = std::function<bool()>;
    using ByteTap = std::function<void(std::uint8_t)>;

    // Reads through connection.read() unless readCall is given (a test's converter that
    // fails where the system cannot make it fail); the connection is purged either way.
    LineReader(rs485::RS485Connection& connection, ProtocolParser& parser, ReadCall readCall = {});

    // Sees every byte before the parser does.
    void setByteTap(ByteTap tap) { byteTap = std::move(tap); }
    // Runs at most every 100 ms and whenever the line falls silent, so that a reader at the
    // other end of a pipe keeps up without a write per frame.
    void setFlush(Flush flush) { flushOutput = std::move(flush); }

    // Reads until stopRequested() is true, the converter is lost or the flush fails.
    ReadEnd run(const std::function<bool()>& stopRequested);

private:
    // Once a second asks the converter for its error counts and hands them to the
    // parser's listener.
    void askErrorCounts();

    rs485::RS485Connection& connection;
    ProtocolParser& parser;
    ReadCall readCall;
    ByteTap byteTap;
    Flush flushOutput;
    std::int64_t lastCountsNs = 0;
};

} // namespace velora_listener
