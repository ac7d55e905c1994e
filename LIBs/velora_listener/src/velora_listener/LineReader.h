#pragma once

#include <velora_protocol/Timestamp.h>

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
// tools: reads an open port on the calling thread, every byte that has arrived at once, and
// feeds each byte, timed on arrival, to the parser. Bytes that arrived before run() are
// dropped. Once a second the converter's error counts go to the parser's listener.
class LineReader {
public:
    // One read of the line: up to length bytes into buffer, 0 after a silent read time-out;
    // throws rs485::DisconnectException when the converter is lost.
    using ReadCall = std::function<std::uint32_t(void* buffer, std::uint32_t length)>;
    // Hands on what the parser's listener collected; false when it can no longer be written.
    using Flush = std::function<bool()>;
    using ByteTap = std::function<void(std::uint8_t)>;

    // Bytes taken by one read at most; what is left waits for the next read.
    static constexpr std::uint32_t kReadSize = 1024;

    // Reads through connection.readArrived() unless readCall is given (a test's converter that
    // fails where the system cannot make it fail); the connection is purged either way.
    LineReader(rs485::RS485Connection& connection, ProtocolParser& parser, ReadCall readCall = {});

    // Sees every byte before the parser does.
    void setByteTap(ByteTap tap) { byteTap = std::move(tap); }
    // Runs at most every 100 ms and whenever the line falls silent, so that a reader at the
    // other end of a pipe keeps up without a write per frame.
    void setFlush(Flush flush) { flushOutput = std::move(flush); }

    // Reads until stopRequested() is true, the converter is lost or the flush fails.
    ReadEnd run(const std::function<bool()>& stopRequested);

    // When a byte of a read that ended at `read` arrived, with `later` bytes after it in that
    // read: the bytes came one character time apart, the last at `read`, none before
    // `previousRead` (the read before, which found them not yet there).
    static velora_protocol::Timestamp arrivalTime(const velora_protocol::Timestamp& read,
                                                  const velora_protocol::Timestamp& previousRead,
                                                  std::uint32_t later);

private:
    // Once a second asks the converter for its error counts and hands them to the
    // parser's listener.
    void askErrorCounts();
    void hand(const std::uint8_t* bytes, std::uint32_t count,
              const velora_protocol::Timestamp& read, const velora_protocol::Timestamp& previous);

    rs485::RS485Connection& connection;
    ProtocolParser& parser;
    ReadCall readCall;
    ByteTap byteTap;
    Flush flushOutput;
    std::int64_t lastCountsNs = 0;
};

} // namespace velora_listener
