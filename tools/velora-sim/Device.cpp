#include "Device.h"

#include <velora_traffic/TrafficGenerator.h>

#include <velora_protocol/Command.h>

namespace velora_sim {

namespace {

bool chance(std::mt19937& rng, int inHundred) {
    return std::uniform_int_distribution<int>(0, 99)(rng) < inHundred;
}

using velora_protocol::BitPosition;
using velora_protocol::Command;

// Command flags, device layout.
constexpr std::uint8_t flag(int bit) {
    return BitPosition{0, bit}.mask();
}
constexpr std::uint8_t kResetFlag = flag(Command::kResetBit);
constexpr std::uint8_t kLoop1Off = flag(Command::kLoop1OffBit);
constexpr std::uint8_t kLoop1On = flag(Command::kLoop1OnBit);
constexpr std::uint8_t kLoop2On = flag(Command::kLoop2OnBit);
constexpr std::uint8_t kLoop2Off = flag(Command::kLoop2OffBit);
constexpr std::uint8_t kCancelAlarm = flag(Command::kDeviceLayout.cancelBit);

// Answer header: 01xxxx1x, with the device's OK bit and a reset it reports.
constexpr std::uint8_t kHeader = 0x40 | velora_protocol::kLongAnswerBit.mask();
constexpr std::uint8_t kHeaderOk = velora_protocol::kOkBit.mask();
constexpr std::uint8_t kHeaderReset = velora_protocol::kDeviceResetBit.mask();
constexpr std::uint8_t kHeaderSpare = 0x20;

constexpr std::uint8_t kAlarmBits = Device::kFire | Device::kAttention | Device::kTriggered;

} // namespace

Device::Device(int address, std::mt19937& rng)
    : ownAddress(address) {
    // A status byte equal to the next address would read as a poll of it.
    std::vector<std::uint8_t> values;
    for (const std::uint8_t v : velora_traffic::TrafficGenerator::shortAnswerValues()) {
        if (v != address + 1) {
            values.push_back(v);
        }
    }
    statusByte = values[std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(rng)];
}

void Device::randomChange(std::mt19937& rng) {
    static const std::uint8_t alarms[] = {kFire, kAttention, kTriggered};
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    const int which = std::uniform_int_distribution<int>(0, 1)(rng);
    switch (kind) {
    case 0:
    case 1:
        loops[which] = alarms[std::uniform_int_distribution<int>(0, 2)(rng)];
        break;
    case 2:
        loops[which] = chance(rng, 50) ? kFault : kBlocked;
        break;
    case 3:
    case 4:
        loops[which] = kNormal;
        break;
    case 5:
        lines[which] = chance(rng, 50) ? LineState::Triggered : LineState::Fault;
        break;
    case 6:
        lines[which] = LineState::Normal;
        break;
    case 7:
        tamper = !tamper;
        break;
    case 8:
        outputsFault = !outputsFault;
        break;
    default:
        badSupply = !badSupply;
        break;
    }
    news = true;
}

void Device::setCheck(int check, bool alarm) {
    if (check < 2) {
        loops[check] = alarm ? kFire : kNormal;
    } else if (check < 4) {
        lines[check - 2] = alarm ? LineState::Triggered : LineState::Normal;
    } else {
        tamper = alarm;
    }
    news = true;
}

void Device::apply(const std::vector<std::uint8_t>& command) {
    const std::uint8_t flags = command[Command::kDeviceLayout.flags];
    if (flags & kResetFlag) {
        loops[0] = loops[1] = kNormal;
        lines[0] = lines[1] = LineState::Normal;
        groups = 0;
        resetReported = true;
        news = true;
    }
    if (command[Command::kCancelByte] & kCancelAlarm) {
        for (auto& loop : loops) {
            if (loop & kAlarmBits) {
                loop = kNormal;
                news = true;
            }
        }
    }
    if (command[Command::kGroupsByte] != 0 && command[Command::kGroupsByte] != groups) {
        groups = command[Command::kGroupsByte];
        news = true;
    }
    const std::uint8_t switches[2][2] = {{kLoop1On, kLoop1Off}, {kLoop2On, kLoop2Off}};
    for (int i = 0; i < 2; ++i) {
        if (flags & switches[i][0]) {
            loops[i] = kSwitchingOn;
            news = true;
        } else if (flags & switches[i][1]) {
            loops[i] = kOff;
            news = true;
        }
    }
}

void Device::afterPoll() {
    if (news) {
        return;
    }
    for (auto& loop : loops) {
        if (loop == kSwitchingOn) {
            loop = kNormal;
            news = true;
        }
    }
}

std::uint8_t Device::header() const {
    std::uint8_t header = kHeader | kHeaderOk;
    if (resetReported) {
        header |= kHeaderReset;
    }
    // A header equal to the next address would read as a poll of it; bit 5 is free.
    if (header == ownAddress + 1) {
        header |= kHeaderSpare;
    }
    return header;
}

std::vector<std::uint8_t> Device::data() const {
    // The flags of lines 3 and 4 by state.
    using velora_protocol::lineBit;
    constexpr velora_protocol::LineBit lineFlags[] = {velora_protocol::kLineNormBit,
                                                      velora_protocol::kLineFaultBit,
                                                      velora_protocol::kLineTriggeredBit};
    std::uint8_t byte4 = 0;
    for (int i = 0; i < 2; ++i) {
        byte4 |= lineBit(velora_protocol::kLine3 + i, lineFlags[static_cast<int>(lines[i])]).mask();
    }
    if (tamper) {
        byte4 |= velora_protocol::kTamperBit.mask();
    }
    if (outputsFault) {
        byte4 |= velora_protocol::kOutputsFaultBit.mask();
    }
    const std::uint8_t byte6 = badSupply ? velora_protocol::kBadSupplyBit.mask() : 0;
    return {loops[0], loops[1], byte4, groups, byte6, 0x00};
}

void Device::reported() {
    resetReported = false;
    news = false;
}

} // namespace velora_sim
