#include <velora_decoding/DeviceStatus.h>

#include <algorithm>

namespace velora_decoding {

const char* presenceId(Presence presence) {
    switch (presence) {
    case Presence::Answering:
        return "answering";
    case Presence::Silent:
        return "silent";
    case Presence::Lost:
        return "lost";
    case Presence::NotPolled:
        break;
    }
    return "not_polled";
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
