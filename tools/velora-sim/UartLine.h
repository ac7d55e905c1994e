#pragma once

#include <cstdint>
#include <vector>

namespace velora_sim {

// The two wires of the line as a 19200-baud receiver sees them, in ticks of a sixteenth
// of its bit (the clock a UART samples with), and the characters that receiver reads:
// start bit, 8 data bits, parity, one stop bit. Drivers send at any rate; where two
// drive at once, a low level wins. The parity bit is sent as space and not checked.
class UartLine {
public:
    static constexpr int kTicksPerBit = 16;
    static constexpr std::int64_t kTicksPerSecond = static_cast<std::int64_t>(kTicksPerBit) * 19200;

    struct Character {
        std::uint8_t byte = 0;
        std::int64_t tick = 0;     // where the stop bit was sampled
        bool framingError = false; // the stop bit read low
    };

    // inverted: A and B swapped, the receiver reads every level the other way round.
    explicit UartLine(bool inverted = false);

    // Sends `bytes` back to back from `start` at `baud`; returns the tick after the last
    // stop bit. Drivers may overlap, but none starts before a tick already read.
    std::int64_t drive(std::int64_t start, const std::vector<std::uint8_t>& bytes,
                       std::uint32_t baud);
    // Appends the characters whose stop bit is sampled before `until`; what is later
    // waits for the next call. Ticks before `until` are then final.
    void read(std::int64_t until, std::vector<Character>& out);

private:
    bool level(std::int64_t tick) const;
    void pullLow(std::int64_t from, std::int64_t to);

    bool inverted;
    std::int64_t origin = 0;       // the tick of low[0]
    std::vector<std::uint8_t> low; // 1 where a driver holds the line low
    std::int64_t cursor = 0;       // where the receiver looks for a start edge next
};

} // namespace velora_sim
