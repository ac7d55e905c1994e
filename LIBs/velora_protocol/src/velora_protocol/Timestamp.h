#pragma once

#include <cstdint>

namespace velora_protocol {

// When a byte arrived, on two clocks: the system clock for display and files, the steady
// clock for intervals (immune to clock changes). A default Timestamp means "unknown".
struct Timestamp {
    std::int64_t wallNs = 0;   // nanoseconds since 1970-01-01 00:00 UTC
    std::int64_t steadyNs = 0; // nanoseconds of std::chrono::steady_clock

    static Timestamp now();
    // A recorded time: the file knows one clock only, and it serves for both.
    static Timestamp recorded(std::int64_t wallNs) { return {wallNs, wallNs}; }

    bool known() const { return wallNs != 0 || steadyNs != 0; }
};

// The times of a frame's first and last byte.
struct FrameTimes {
    Timestamp first;
    Timestamp last;
};

} // namespace velora_protocol
