#pragma once

#include <velora_protocol/MessageType.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace velora_traffic {

// One report a correct parser makes: the type, the address (0 for trash) and the bytes
// (the poll byte, the answer or acknowledgement byte, the whole frame, or the trash).
struct Event {
    int type = 0;
    int address = 0;
    std::vector<std::uint8_t> bytes;

    bool operator==(const Event& other) const {
        return type == other.type && address == other.address && bytes == other.bytes;
    }
    bool operator!=(const Event& other) const { return !(*this == other); }
};

// Readable form in test failures: "type@address[bytes]".
std::ostream& operator<<(std::ostream& out, const Event& event);

// Two upper-case hexadecimal digits per byte, separated by single blanks.
std::string toHex(const std::vector<std::uint8_t>& bytes);

// Appends the CRC of `frame`, low byte first.
void appendCrc(std::vector<std::uint8_t>& frame);

// Builds a byte stream of the line together with the events that a correct parser
// reports for it. Every appender keeps the stream unambiguous: it refuses (returns
// false, adds nothing) a frame whose first byte would be read together with what came
// before it. A poll of the address after an unanswered poll continues a run: the
// unanswered polls before it are reported, whether it is answered or not.
class TrafficGenerator {
public:
    // status: one of the six short-answer values.
    bool shortAnswer(int address, std::uint8_t status);
    // header: a long-answer header; data: answer bytes 2..7.
    bool longAnswer(int address, std::uint8_t header, const std::vector<std::uint8_t>& data,
                    bool acknowledged);
    // body: command bytes 1..5.
    bool command(int address, const std::vector<std::uint8_t>& body, bool acknowledged);
    // count >= 2 consecutive polls that nobody answers.
    bool pollRun(int firstAddress, int count);
    // One poll that nobody answers. What follows decides: a poll of the next address
    // makes it part of a run, anything else turns a poll outside a run into trash.
    bool poll(int address);
    // Bytes 0x00 and 0x80, which fit no frame wherever they stand.
    void noise(const std::vector<std::uint8_t>& bytes);
    // A poll byte nobody answers, followed by noise: it becomes trash.
    bool lonePoll(int address, const std::vector<std::uint8_t>& noiseBytes);

    // Appends one random element.
    void randomElement(std::mt19937& rng);
    // A random stream of at least `elements` elements.
    static TrafficGenerator random(std::uint32_t seed, std::size_t elements);

    const std::vector<std::uint8_t>& bytes() const { return stream; }
    // Events reported while the stream is fed and continued by any allowed element;
    // trash still collected at its end is not.
    const std::vector<Event>& events() const { return reported; }
    // Exactly the events of a parser fed this stream, then flush(): the polls at the
    // end of an unanswered run wait for the next byte and are left out.
    std::vector<Event> eventsAfterFlush() const;

    // Streaming: hands over the bytes so far and forgets them.
    std::vector<std::uint8_t> takeBytes();
    // Hands over the events that are certain whatever follows and forgets them;
    // eventsAfterFlush() then gives the rest.
    std::vector<Event> takeEvents();
    // True when a parser fed the stream has reported every event without a flush:
    // no poll waits for the byte that confirms it and no trash is collected.
    bool settled() const { return runEnd < 0 && openPoll < 0 && trash.empty(); }

    static const std::vector<std::uint8_t>& shortAnswerValues();
    static const std::vector<std::uint8_t>& longAnswerHeaders();

private:
    bool mayStartWith(std::uint8_t first) const;
    bool begin(std::uint8_t first, bool mayContinueRun);
    std::size_t unconfirmedPolls() const { return runEnd >= 0 ? 2 : 0; }
    void append(const std::vector<std::uint8_t>& bytes);
    void report(int type, int address, std::vector<std::uint8_t> bytes);
    void addTrash(std::uint8_t byte);
    void afterFrame(int pendingAck, int runEnd);
    // Appends the frame that `frame` begins, with its CRC, and reports it as `type`;
    // after it the acknowledgement `ack` if `acknowledged`, else the parser waits for it.
    void checkedFrame(int type, int address, std::vector<std::uint8_t> frame, bool acknowledged,
                      int ackType, std::uint8_t ack);

    std::vector<std::uint8_t> stream;
    std::vector<Event> reported;
    std::vector<std::uint8_t> trash;
    int pendingAck = -1; // acknowledgement byte the parser waits for, or -1
    int runEnd = -1;     // last address of an unanswered poll run just appended, or -1
    int openPoll = -1;   // a single unanswered poll just appended, or -1
};

} // namespace velora_traffic
