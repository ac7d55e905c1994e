#include <velora_decoding/DeviceStatus.h>

#include <algorithm>

namespace velora_decoding {

const char* presenceId(Presence presence) {
    // In the order of Presence.
    static const char* const ids[] = {"not_polled", "answering", "silent", "lost"};
    return ids[static_cast<std::size_t>(presence)];
}

double DeviceStatus::missedPercent() const {
    return polls == 0 ? 0.0 : 100.0 * static_cast<double>(missed) / static_cast<double>(polls);
}

bool DeviceStatus::alarm() const {
    return std::find(points.begin(), points.end(), PointState::Alarm) != points.end();
}

bool DeviceStatus::fault() const {
    return std::find(points.begin(), points.end(), PointState::Fault) != points.end() ||
           flags[kTamper] || flags[kOutputsFault] || flags[kBadSupply];
}

} // namespace velora_decoding
