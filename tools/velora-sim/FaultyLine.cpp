#include "FaultyLine.h"

#include <algorithm>

namespace velora_sim {

namespace {

constexpr std::int64_t kCharacterTicks =
    UartLine::kTicksPerBit * static_cast<std::int64_t>(velora_protocol::kBitsPerCharacter);

// How far apart two devices at one address start their answers: both react to the same
// poll, within a few bit times of each other.
constexpr int kTwinLeadTicks[] = {2, 3 * UartLine::kTicksPerBit};

} // namespace

FaultyLine::FaultyLine(const LineFaults& faults, std::uint32_t seed)
    : faults(faults)
    , rng(seed)
    , line(faults.swapped) {}

void FaultyLine::send(const std::uint8_t* begin, const std::uint8_t* end) {
    if (begin != end) {
        free = line.drive(free, {begin, end}, faults.baud);
    }
}

void FaultyLine::sendAnswer(const std::uint8_t* begin, const Answer& answer) {
    const auto late = faults.lateMs.find(answer.address);
    const std::int64_t start =
        free + (late == faults.lateMs.end() ? 0 : late->second * UartLine::kTicksPerSecond / 1000);
    free = line.drive(start, {begin, begin + answer.length}, faults.baud);
    if (!answer.twin.empty()) {
        const auto lead =
            std::uniform_int_distribution<int>(kTwinLeadTicks[0], kTwinLeadTicks[1])(rng);
        free = std::max(free, line.drive(start + lead, answer.twin, faults.baud));
    }
}

std::vector<LinePiece> FaultyLine::carry(const std::vector<std::uint8_t>& bytes,
                                         const std::vector<Answer>& answers) {
    const std::uint8_t* next = bytes.data();
    for (const Answer& answer : answers) {
        send(next, bytes.data() + answer.offset);
        sendAnswer(bytes.data() + answer.offset, answer);
        next = bytes.data() + answer.offset + answer.length;
    }
    send(next, bytes.data() + bytes.size());
    return received(free);
}

std::vector<LinePiece> FaultyLine::finish() {
    return received(free + 2 * kCharacterTicks);
}

// Pieces split where the line was silent longer than a character.
std::vector<LinePiece> FaultyLine::received(std::int64_t until) {
    std::vector<UartLine::Character> characters;
    line.read(until, characters);
    std::vector<LinePiece> pieces;
    for (const auto& c : characters) {
        const std::int64_t pause = c.tick - lastByte - kCharacterTicks;
        if (pieces.empty() || pause > 0) {
            pieces.push_back(
                {static_cast<double>(std::max<std::int64_t>(pause, 0)) / UartLine::kTicksPerSecond,
                 {}});
        }
        pieces.back().bytes.push_back(c.byte);
        lastByte = c.tick;
    }
    return pieces;
}

} // namespace velora_sim
