#include <velora_decoding/LineLoad.h>

#include <velora_protocol/LineSpeed.h>

#include <algorithm>

namespace velora_decoding {

double LineLoad::share(std::uint64_t characters, std::int64_t spanNs) {
    if (spanNs <= 0) {
        return 0.0;
    }
    return static_cast<double>(characters) *
           static_cast<double>(velora_protocol::characterTimeNs()) / static_cast<double>(spanNs);
}

void LineLoad::add(std::uint64_t characters, std::int64_t steadyNs) {
    if (!started) {
        started = true;
        minuteStart = steadyNs;
    }
    // A time before the current minute (a capture's clock stepped back) stays in it.
    if (steadyNs >= minuteStart + kMinuteNs) {
        closeMinutes((steadyNs - minuteStart) / kMinuteNs);
    }
    minuteCharacters += characters;
}

// Ends the current minute and the `passed` - 1 silent ones after it.
void LineLoad::closeMinutes(std::int64_t passed) {
    const double load = share(minuteCharacters, kMinuteNs);
    const double lowest = passed > 1 ? 0.0 : load;
    low = minutes == 0 ? std::min(load, lowest) : std::min({low, load, lowest});
    high = minutes == 0 ? load : std::max(high, load);
    minutes += static_cast<std::uint64_t>(passed);
    minuteStart += passed * kMinuteNs;
    minuteCharacters = 0;
}

} // namespace velora_decoding
