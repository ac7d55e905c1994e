#include <velora_decoding/DeviceTracker.h>

#include <velora_protocol/Addresses.h>
#include <velora_protocol/AnswerFields.h>

#include <stdexcept>
#include <string>

namespace velora_decoding {

namespace {

using velora_protocol::Frame;
using velora_protocol::Timestamp;

bool isSet(const Frame& frame, velora_protocol::BitPosition position) {
    return position.isSet(frame.begin(), frame.size);
}

PointState pointState(const Frame& frame, int point) {
    const velora_protocol::AnswerField* state =
        velora_protocol::pointState(frame.begin(), frame.size, point);
    return state != nullptr ? state->state : PointState::Unknown;
}

bool isAnswer(const Frame& frame) {
    return frame.type == mtShortAnswer || frame.type == mtLongAnswer;
}

} // namespace

DeviceTracker::DeviceTracker()
    : devices(kLastAddress + 1) {
    changeList.reserve(kMaxChanges);
}

void DeviceTracker::clear() {
    devices.assign(kLastAddress + 1, DeviceStatus{});
    totals = LineTotals{};
    changeList.clear();
    dropped = 0;
    pendingPoll = 0;
    diagnoser.clear();
}

const DeviceStatus& DeviceTracker::device(int address) const {
    if (!velora_protocol::isDeviceAddress(address)) {
        throw std::out_of_range("DeviceTracker::device: address " + std::to_string(address));
    }
    return devices[static_cast<std::size_t>(address)];
}

void DeviceTracker::feed(const Frame& frame) {
    const std::uint64_t record = totals.frames;
    diagnoser.frame(frame, record);
    if (totals.frames == 0) {
        totals.first = frame.times.first;
    }
    totals.last = frame.times.last;
    totals.frames += 1;
    totals.bytes += frame.size;
    if (frame.times.first.known()) {
        totals.minuteLoad.add(frame.size, frame.times.first.steadyNs);
    }
    if (frame.type == mtTrash) {
        totals.trashBytes += frame.size;
    }
    if (pendingPoll != 0) {
        pollDecided(frame);
        pendingPoll = 0;
    }
    if (!velora_protocol::isDeviceAddress(frame.address)) {
        return;
    }
    DeviceStatus& device = devices[frame.address];
    switch (frame.type) {
    case mtQuery:
        device.polls += 1;
        pendingPoll = frame.address;
        pollTime = frame.times;
        pollRecord = record;
        break;
    case mtShortAnswer:
        device.shortAnswers += 1;
        answered(device, frame);
        break;
    case mtLongAnswer:
        device.longAnswers += 1;
        answered(device, frame);
        longAnswer(device, frame);
        break;
    case mtLongAnswerAck:
        device.longAnswerAcks += 1;
        break;
    case mtCommand:
        device.commands += 1;
        break;
    case mtCommandAck:
        device.commandAcks += 1;
        break;
    case mtTrash:
        break;
    }
}

// The frame after a poll answers it or not.
void DeviceTracker::pollDecided(const Frame& next) {
    DeviceStatus& device = devices[static_cast<std::size_t>(pendingPoll)];
    if (isAnswer(next) && next.address == pendingPoll) {
        totals.answeredPolls += 1;
        std::int64_t answerNs = -1;
        if (pollTime.last.known() && next.times.first.known()) {
            answerNs = next.times.first.steadyNs - pollTime.last.steadyNs;
            device.answerTimes.add(answerNs);
        }
        diagnoser.answered(pendingPoll, totals.frames - 1, next.times.first, answerNs);
        return;
    }
    diagnoser.missed(pendingPoll, pollRecord, next.type == mtTrash);
    totals.missedPolls += 1;
    device.missed += 1;
    device.missRun += 1;
    updatePresence(device, pendingPoll, pollTime.first);
}

void DeviceTracker::answered(DeviceStatus& device, const Frame& frame) {
    device.everAnswered = true;
    device.missRun = 0;
    device.lastAnswerTime = frame.times.first;
    device.lastAnswer = frame;
    updatePresence(device, frame.address, frame.times.first);
}

void DeviceTracker::longAnswer(DeviceStatus& device, const Frame& frame) {
    const bool firstReport = device.longAnswers == 1;
    const bool wasAlarm = device.alarm();
    const bool wasFault = device.fault();
    const Timestamp time = frame.times.first;

    for (int i = 0; i < kPointCount; ++i) {
        const PointState point = pointState(frame, i);
        if (firstReport || device.points[i] != point) {
            device.points[i] = point;
            device.pointSince[i] = time;
            pointChanged({time, frame.address, static_cast<WalkCheck>(i), point});
        }
    }
    const bool flags[kFlagCount] = {
        isSet(frame, velora_protocol::kTamperBit),
        isSet(frame, velora_protocol::kBadSupplyBit),
        isSet(frame, velora_protocol::kDeviceResetBit),
        isSet(frame, velora_protocol::kOutputsFaultBit),
    };
    const bool tamperChanged = firstReport || device.flags[kTamper] != flags[kTamper];
    for (int i = 0; i < kFlagCount; ++i) {
        if (firstReport || device.flags[i] != flags[i]) {
            device.flags[i] = flags[i];
            device.flagSince[i] = time;
        }
    }
    if (tamperChanged) {
        pointChanged({time, frame.address, WalkCheck::Tamper,
                      flags[kTamper] ? PointState::Alarm : PointState::Norm});
    }

    if (device.alarm() != wasAlarm) {
        report(
            {time, frame.address, wasAlarm ? DeviceChange::AlarmEnded : DeviceChange::AlarmBegan});
    }
    if (device.fault() != wasFault) {
        report(
            {time, frame.address, wasFault ? DeviceChange::FaultEnded : DeviceChange::FaultBegan});
    }
}

void DeviceTracker::pointChanged(const PointChange& change) {
    if (onPoint) {
        onPoint(change);
    }
}

void DeviceTracker::updatePresence(DeviceStatus& device, int address, Timestamp time) {
    Presence presence = Presence::Silent;
    if (device.everAnswered) {
        presence = device.missRun >= kLostAfterMisses ? Presence::Lost : Presence::Answering;
    }
    if (presence == device.presence) {
        return;
    }
    const Presence before = device.presence;
    device.presence = presence;
    if (before != Presence::NotPolled) {
        report({time, address, DeviceChange::PresenceChanged, presence});
    }
}

void DeviceTracker::report(DeviceChange change) {
    if (changeList.size() == kMaxChanges) {
        const std::size_t half = kMaxChanges / 2;
        changeList.erase(changeList.begin(), changeList.begin() + half);
        dropped += half;
    }
    changeList.push_back(change);
    if (onChange) {
        onChange(change);
    }
}

} // namespace velora_decoding
