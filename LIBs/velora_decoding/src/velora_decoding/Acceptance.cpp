#include <velora_decoding/Acceptance.h>

#include <algorithm>

namespace velora_decoding {

namespace {

DeviceAcceptance acceptDevice(int address, const DeviceStatus& device,
                              const AcceptanceLimits& limits) {
    DeviceAcceptance result;
    result.address = address;
    const AnswerTimes& times = device.answerTimes;
    result.answerP99Ms =
        times.count() == 0 ? 0.0 : static_cast<double>(times.percentileNs(0.99)) / 1e6;
    result.missedPercent = device.missedPercent();
    if (!device.everAnswered) {
        result.reason = AcceptanceReason::NeverAnswered;
    } else if (result.answerP99Ms > limits.answerP99Ms) {
        result.reason = AcceptanceReason::AnswerTime;
    } else if (result.missedPercent > limits.missedPercent) {
        result.reason = AcceptanceReason::MissedPolls;
    }
    result.passed = result.reason == AcceptanceReason::None;
    return result;
}

} // namespace

LineAcceptance accept(const DeviceTracker& tracker, const std::vector<int>& configured,
                      const AcceptanceLimits& limits) {
    LineAcceptance line;
    for (const int address : configured) {
        if (!velora_protocol::isDeviceAddress(address)) {
            continue;
        }
        const DeviceAcceptance device = acceptDevice(address, tracker.device(address), limits);
        line.silentDevices += device.reason == AcceptanceReason::NeverAnswered ? 1 : 0;
        line.failedDevices += device.passed ? 0 : 1;
        line.devices.push_back(device);
    }
    const LineTotals& totals = tracker.line();
    line.trashPercent = totals.bytes == 0 ? 0.0
                                          : 100.0 * static_cast<double>(totals.trashBytes) /
                                                static_cast<double>(totals.bytes);
    line.minutes = totals.seconds() / 60.0;
    if (line.minutes < limits.minutes) {
        line.reason = AcceptanceReason::ShortObservation;
    } else if (line.trashPercent > limits.trashPercent) {
        line.reason = AcceptanceReason::Trash;
    } else if (line.silentDevices > limits.silentDevices) {
        line.reason = AcceptanceReason::SilentDevices;
    } else if (line.failedDevices > line.silentDevices) {
        line.reason = AcceptanceReason::FailedDevices;
    }
    line.passed = line.reason == AcceptanceReason::None;
    return line;
}

} // namespace velora_decoding
