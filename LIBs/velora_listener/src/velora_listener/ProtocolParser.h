#pragma once

#include <velora_listener/ParserEventListener.h>

#include <velora_protocol/Frame.h>
#include <velora_protocol/FrameBytes.h>
#include <velora_protocol/Timestamp.h>

#include <cstdint>
#include <deque>
#include <vector>

namespace velora_listener {

// Cuts the byte stream of the line into frames, one byte at a time, without a clock:
// frames are recognised from byte values, counts, the CRC and neighbouring frames. Each
// byte may come with the time it arrived; a frame is reported with the times of its first
// and last byte.
class ProtocolParser {
public:
    enum State : std::int32_t {
        Idle = 0,
        QueryCandidate = 1, // the byte after a possible query byte
        QueryRun = 2,       // the third byte of a run of polls to consecutive addresses
        LongAnswerFrame = 3,
        LongAnswerAck = 4,
        CommandFrame = 5,
        CommandAck = 6,
    };

    static constexpr std::uint8_t kLongAnswerAck = velora_protocol::kLongAnswerAck;
    static constexpr std::uint8_t kCommandAck = velora_protocol::kCommandAck;
    static constexpr std::size_t kLongAnswerLength = velora_protocol::kLongAnswerLength;
    static constexpr std::size_t kCommandLength = velora_protocol::kCommandLength;
    // Trash is handed over in pieces of at most this many bytes.
    static constexpr std::size_t kTrashPiece = velora_protocol::kTrashPiece;

    explicit ProtocolParser(ParserEventListener* listener);
    virtual ~ProtocolParser() = default;

    ProtocolParser(const ProtocolParser&) = delete;
    ProtocolParser& operator=(const ProtocolParser&) = delete;

    ProtocolParser& feed(std::uint8_t byte, velora_protocol::Timestamp time = {});
    // Hands over the collected trash. Pending bytes of an unfinished frame stay.
    void flush();
    // The end of the stream: flush(), then the bytes of the unfinished frame, which no byte
    // will complete, go to the listener's onUnfinished() as pieces of trash; the parser
    // starts afresh.
    void endOfStream();
    // What endOfStream() would hand over now, the parser left as it is: the collected
    // trash, then the pending bytes as pieces of trash.
    std::vector<velora_protocol::Frame> unfinished() const;

    ParserEventListener* eventListener() const { return listener; }
    State currentState() const { return static_cast<State>(state); }
    std::size_t pendingCount() const { return pending.size(); }

    static bool isShortAnswer(std::uint8_t b) { return velora_protocol::isShortAnswer(b); }
    static bool isLongAnswerHeader(std::uint8_t b) {
        return velora_protocol::isLongAnswerHeader(b);
    }

private:
    enum class Step { Wait, Continue };

    Step runState();
    Step dispatch();
    Step discard();
    Step onQueryCandidate();
    Step onQueryRun();
    Step onLongAnswerFrame();
    Step onCommandFrame();
    Step onAck(MessageType type, std::uint8_t ack);
    void flushTrash();
    // Reports the first `count` pending bytes as one frame and removes them.
    void report(MessageType type, int frameAddress, std::size_t count);
    velora_protocol::Frame take(MessageType type, int frameAddress, std::size_t count);
    velora_protocol::Frame piece(MessageType type, int frameAddress, std::size_t first,
                                 std::size_t count) const;
    bool crcOk(std::size_t first, std::size_t count) const;
    void pop() { pending.pop_front(); }
    std::uint8_t p(std::size_t i) const { return pending[i].byte; }

    struct StampedByte {
        std::uint8_t byte;
        velora_protocol::Timestamp time;
    };

    std::int32_t state = Idle;
    std::int32_t address = 0;
    bool inQueryRun = false;
    std::deque<StampedByte> pending;
    velora_protocol::Frame trash;
    ParserEventListener* listener;
};

} // namespace velora_listener
