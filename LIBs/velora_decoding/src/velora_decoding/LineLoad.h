#pragma once

#include <cstdint>

namespace velora_decoding {

// The share of line time in use: every character holds the line for one character time, so
// a second that carries 1745 characters at 19200 baud is a load of 1. A polling bus is busy
// by design; the load is a figure, never a fault.
//
// Also the load of every whole minute since the first character, counted from it, with
// the lowest and highest; a minute counts once the next one has begun. Adding allocates
// nothing.
class LineLoad {
public:
    static constexpr std::int64_t kMinuteNs = 60'000'000'000;

    // The share of spanNs that `characters` take at the line's speed; 0 over no time.
    static double share(std::uint64_t characters, std::int64_t spanNs);

    // `characters` whose first arrived at steadyNs (steady clock).
    void add(std::uint64_t characters, std::int64_t steadyNs);

    // The whole minutes passed; the lowest and highest load of one (0 while there is none).
    std::uint64_t wholeMinutes() const { return minutes; }
    double minuteLow() const { return low; }
    double minuteHigh() const { return high; }

private:
    void closeMinutes(std::int64_t passed);

    bool started = false;
    std::int64_t minuteStart = 0;
    std::uint64_t minuteCharacters = 0;
    std::uint64_t minutes = 0;
    double low = 0.0;
    double high = 0.0;
};

} // namespace velora_decoding
