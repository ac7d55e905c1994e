#include <velora_decoding/LineTotals.h>

#include <velora_protocol/LineSpeed.h>

namespace velora_decoding {

double LineTotals::seconds() const {
    return frames < 2 ? 0.0 : static_cast<double>(last.steadyNs - first.steadyNs) / 1e9;
}

double LineTotals::framesPerSecond() const {
    const double span = seconds();
    return span <= 0.0 ? 0.0 : static_cast<double>(frames) / span;
}

double LineTotals::answeredPercent() const {
    const std::uint64_t decided = answeredPolls + missedPolls;
    return decided == 0 ? 0.0
                        : 100.0 * static_cast<double>(answeredPolls) / static_cast<double>(decided);
}

double LineTotals::load() const {
    if (!first.known() || !last.known()) {
        return 0.0;
    }
    // A byte's time is its arrival, the end of its character: the line was busy from one
    // character time before the first.
    return LineLoad::share(bytes,
                           last.steadyNs - first.steadyNs + velora_protocol::characterTimeNs());
}

} // namespace velora_decoding
