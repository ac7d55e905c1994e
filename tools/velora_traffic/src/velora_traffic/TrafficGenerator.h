#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <vector>

namespace velora_traffic {

// Message types as the event listener numbers them.
enum EventType {
    Query = 1,
    ShortAnswer = 2,
    LongAnswer = 3,
    LongAnswerAck = 4,
    Command = 5,
    CommandAck = 6,
    Trash = 7,
};

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

// Appends the CRC of `frame`, low byte first.
void appendCrc(std::vector<std::uint8_t>& frame);

// Builds a byte stream of the line together with the events that a correct parser
// reports for it. Every appender keeps the stream unambiguous: it refuses (returns
// false, adds nothing) a frame whose first byte would be read together with what came
// before it.
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
    // Bytes 0x00 and 0x80, which fit no frame wherever they stand.
    void noise(const std::vector<std::uint8_t>& bytes);
    // A poll byte nobody answers, followed by noise: it becomes trash.
    bool lonePoll(int address, const std::vector<std::uint8_t>& noiseBytes);

    // Appends one random element.
    void randomElement(std::mt19937& rng);
    // A random stream of at least `elements` elements.
    static TrafficGenerator random(std::uint32_t seed, std::size_t elements);

    const std::vector<std::uint8_t>& bytes() const { return stream; }
    // Events reported while the stream is fed; trash still collected at its end is not.
    const std::vector<Event>& events() const { return reported; }
    // The events after the parser's flush() at the end of the stream.
    std::vector<Event> eventsAfterFlush() const;

    static bool isShortAnswerValue(std::uint8_t b) {
        return (b & 0xC7) == 0x40 && (b & 0x18) != 0x18;
    }
    static bool isLongAnswerHeader(std::uint8_t b) {
        return (b & 0xC2) == 0x42 && (b & 0x18) != 0x18;
    }
    static const std::vector<std::uint8_t>& shortAnswerValues();
    static const std::vector<std::uint8_t>& longAnswerHeaders();

private:
    bool mayStartWith(std::uint8_t first) const;
    void append(const std::vector<std::uint8_t>& bytes);
    void report(int type, int address, std::vector<std::uint8_t> bytes);
    void addTrash(std::uint8_t byte);
    void afterFrame(int pendingAck, int runEnd, bool needsNoise);

    std::vector<std::uint8_t> stream;
    std::vector<Event> reported;
    std::vector<std::uint8_t> trash;
    int pendingAck = -1; // acknowledgement byte the parser waits for, or -1
    int runEnd = -1;     // last address of an unanswered poll run just appended, or -1
    bool needsNoise = false;
};

} // namespace velora_traffic
