#include <velora_decoding/LineTotals.h>

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

} // namespace velora_decoding
