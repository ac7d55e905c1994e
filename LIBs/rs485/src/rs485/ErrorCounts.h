#pragma once

#include <cstdint>

namespace rs485 {

// The receive errors the converter's driver counted: characters with a bad stop bit
// (framing), a bad parity bit, characters lost because they came faster than they were
// taken (overrun), and breaks (the line held at 0 for longer than a character).
struct ErrorCounts {
    // False where the driver keeps no counters (a pseudo-terminal); the counts are 0 then.
    bool kept = false;
    std::uint64_t framing = 0;
    std::uint64_t parity = 0;
    std::uint64_t overrun = 0;
    std::uint64_t breaks = 0;
};

} // namespace rs485
