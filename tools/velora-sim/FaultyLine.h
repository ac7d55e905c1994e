#pragma once

#include "LineSimulator.h"
#include "UartLine.h"

#include <velora_protocol/LineSpeed.h>

#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace velora_sim {

// Faults between the line's drivers and the listener's converter.
struct LineFaults {
    // The rate the panel and the devices send at; the converter reads at 19200.
    std::uint32_t baud = velora_protocol::kBaudRate;
    // A and B swapped at the converter.
    bool swapped = false;
    // Devices that answer late, by address: milliseconds after the poll.
    std::map<int, int> lateMs;
};

// Bytes as the converter reads them, after a pause of silence on the line.
struct LinePiece {
    double pauseSeconds = 0;
    std::vector<std::uint8_t> bytes;
};

// The simulated line's bytes carried bit by bit to a 19200-baud converter: the panel and
// the devices send in turn, each starting when the line is free, a late device after its
// delay; a second device at a duplicated address starts its answer a few ticks from the
// first one's, and where both send, the receiver reads the two bit streams together.
class FaultyLine {
public:
    FaultyLine(const LineFaults& faults, std::uint32_t seed);

    // One step of the simulator: its bytes and the answers among them.
    std::vector<LinePiece> carry(const std::vector<std::uint8_t>& bytes,
                                 const std::vector<Answer>& answers);
    // What the converter still reads once the line falls silent.
    std::vector<LinePiece> finish();

private:
    void send(const std::uint8_t* begin, const std::uint8_t* end);
    void sendAnswer(const std::uint8_t* begin, const Answer& answer);
    std::vector<LinePiece> received(std::int64_t until);

    LineFaults faults;
    std::mt19937 rng;
    UartLine line;
    std::int64_t free = 0;     // the tick from which nobody sends
    std::int64_t lastByte = 0; // the tick the last byte read ended at
};

} // namespace velora_sim
