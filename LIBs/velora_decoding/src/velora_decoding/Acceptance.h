#pragma once

#include <velora_decoding/DeviceTracker.h>

#include <vector>

namespace velora_decoding {

// The limits a line must keep to be accepted. The defaults suit a line of a few dozen
// devices watched for a quarter of an hour: devices answer within a few milliseconds,
// a healthy line misses almost no poll and carries almost no trash.
struct AcceptanceLimits {
    double answerP99Ms = 20.0;  // 99th percentile of a device's answer time
    double missedPercent = 1.0; // a device's missed polls
    double trashPercent = 1.0;  // the line's bytes that fit no frame
    int silentDevices = 0;      // configured devices that never answered
    double minutes = 15.0;      // the length of the observation
};

// What decided a device's or the line's result: the first limit it broke, or none.
enum class AcceptanceReason : std::uint8_t {
    None,
    NeverAnswered,
    AnswerTime,
    MissedPolls,
    Trash,
    SilentDevices,
    ShortObservation,
    FailedDevices,
};

struct DeviceAcceptance {
    int address = 0;
    bool passed = false;
    AcceptanceReason reason = AcceptanceReason::None;
    double answerP99Ms = 0.0; // 0 without answer times
    double missedPercent = 0.0;
};

struct LineAcceptance {
    bool passed = false;
    AcceptanceReason reason = AcceptanceReason::None;
    double trashPercent = 0.0;
    int silentDevices = 0;
    double minutes = 0.0;
    int failedDevices = 0;
    std::vector<DeviceAcceptance> devices; // the configured ones, by address
};

// Each configured device and the line as a whole against the limits.
LineAcceptance accept(const DeviceTracker& tracker, const std::vector<int>& configured,
                      const AcceptanceLimits& limits);

} // namespace velora_decoding
