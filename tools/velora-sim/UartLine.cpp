#include "UartLine.h"

#include <velora_protocol/LineSpeed.h>

#include <algorithm>
#include <cmath>

namespace velora_sim {

namespace {

constexpr int kDataBits = 8;
constexpr int kStopBit = 10; // after the start bit, the data bits and the parity bit

// The tick in the middle of bit `bit` of a character whose start edge is at `start`.
constexpr std::int64_t middleOf(std::int64_t start, int bit) {
    return start + bit * UartLine::kTicksPerBit + UartLine::kTicksPerBit / 2;
}

} // namespace

UartLine::UartLine(bool inverted)
    : inverted(inverted) {}

bool UartLine::level(std::int64_t tick) const {
    const std::int64_t i = tick - origin;
    const bool isLow = i >= 0 && i < static_cast<std::int64_t>(low.size()) && low[i];
    return isLow == inverted;
}

void UartLine::pullLow(std::int64_t from, std::int64_t to) {
    from = std::max(from, origin);
    if (to <= from) {
        return;
    }
    const auto end = static_cast<std::size_t>(to - origin);
    if (low.size() < end) {
        low.resize(end, 0);
    }
    std::fill(low.begin() + (from - origin), low.begin() + static_cast<std::ptrdiff_t>(end), 1);
}

std::int64_t UartLine::drive(std::int64_t start, const std::vector<std::uint8_t>& bytes,
                             std::uint32_t baud) {
    const double ticksPerBit = static_cast<double>(kTicksPerSecond) / baud;
    const auto boundary = [&](std::size_t bit) {
        return start + static_cast<std::int64_t>(std::llround(bit * ticksPerBit));
    };
    std::size_t bit = 0;
    for (const std::uint8_t byte : bytes) {
        // Start bit low, data bits from the lowest, parity low, stop bit high.
        const unsigned frame = (1u << kStopBit) | (static_cast<unsigned>(byte) << 1);
        for (int i = 0; i < static_cast<int>(velora_protocol::kBitsPerCharacter); ++i, ++bit) {
            if (!(frame & (1u << i))) {
                pullLow(boundary(bit), boundary(bit + 1));
            }
        }
    }
    return boundary(bit);
}

void UartLine::read(std::int64_t until, std::vector<Character>& out) {
    for (; middleOf(cursor, kStopBit) < until; ++cursor) {
        if (!level(cursor - 1) || level(cursor)) {
            continue; // no start edge here
        }
        if (level(middleOf(cursor, 0))) {
            continue; // a glitch, not a start bit
        }
        Character c;
        for (int i = 0; i < kDataBits; ++i) {
            c.byte |= static_cast<std::uint8_t>(level(middleOf(cursor, 1 + i)) << i);
        }
        c.tick = middleOf(cursor, kStopBit);
        c.framingError = !level(c.tick);
        out.push_back(c);
        cursor = c.tick;
    }
    // Keep the tick before the cursor: the start edge is found against it.
    const std::int64_t keep = std::min<std::int64_t>(cursor - 1 - origin, low.size());
    if (keep > 0) {
        low.erase(low.begin(), low.begin() + keep);
        origin += keep;
    }
}

} // namespace velora_sim
