#include <velora_protocol/Addresses.h>
#include <velora_protocol/Command.h>

#include <algorithm>

namespace velora_protocol {

Command::Command(bool consoleFormat)
    : console(consoleFormat)
    , bytes(kLength, 0) {
    bytes[0] = static_cast<std::uint8_t>((consoleFormat ? kConsoleMark : kDeviceMark) | 1);
}

Command::Command(const std::vector<std::uint8_t>& frame, bool consoleFormat)
    : console(consoleFormat)
    , bytes(frame) {}

void Command::setByte(std::size_t index, std::uint8_t value) {
    if (index < bytes.size()) {
        bytes[index] = value;
    }
}

void Command::setBit(std::size_t index, int bitNumber, bool on) {
    const auto mask = static_cast<std::uint8_t>(1u << bitNumber);
    setByte(index, static_cast<std::uint8_t>(on ? byte(index) | mask : byte(index) & ~mask));
}

int Command::loopBit(int loop, int loop1Bit, int loop2Bit) {
    return loop == 1 ? loop1Bit : loop == 2 ? loop2Bit : -1;
}

int Command::consoleNumber() const {
    return console ? byte(0) & kConsoleNumberMask : 0;
}

void Command::setConsoleNumber(int number) {
    if (console) {
        setByte(0, number <= 0 ? 0 : static_cast<std::uint8_t>(number | kConsoleMark));
    }
}

bool Command::consoleReset() const {
    return console && bit(kGroupsByte, kConsoleResetBit);
}

void Command::setConsoleReset(bool on) {
    if (console) {
        setBit(kGroupsByte, kConsoleResetBit, on);
    }
}

bool Command::groupCommand(int group) const {
    if (console) {
        return group >= kConsoleFirstGroup && group < kGroupCount &&
               bit(kGroupsByte, group - kConsoleFirstGroup);
    }
    return group >= 0 && group < kGroupCount && bit(kGroupsByte, group);
}

void Command::setGroupCommand(int group, bool on) {
    if (console && group >= kConsoleFirstGroup && group < kGroupCount) {
        setBit(kGroupsByte, group - kConsoleFirstGroup, on);
    } else if (!console && group >= 0 && group < kGroupCount) {
        setBit(kGroupsByte, group, on);
    }
}

bool Command::cancelAlarm() const {
    return console ? bit(kCancelByte, kConsoleCancelBit) : bit(kCancelByte, kCancelBit);
}

void Command::setCancelAlarm(bool on) {
    if (console) {
        setBit(kCancelByte, kConsoleCancelBit, on);
    } else if (on) {
        setByte(kCancelByte, byte(0) | kDeviceMark);
    } else {
        setBit(kCancelByte, kCancelBit, false);
        normalizeOutputsByte();
    }
}

int Command::deviceAddress() const {
    return console ? byte(kConsoleDeviceByte) : byte(0) & kAddressMask;
}

void Command::setDeviceAddress(int address) {
    if (console) {
        setByte(kConsoleDeviceByte, static_cast<std::uint8_t>(address & kAddressMask));
        return;
    }
    setByte(0, address <= 0 ? 0 : static_cast<std::uint8_t>(address | kDeviceMark));
    normalizeOutputsByte();
}

bool Command::deviceReset() const {
    return bit(flagsIndex(), kResetBit);
}

void Command::setDeviceReset(bool on) {
    setBit(flagsIndex(), kResetBit, on);
}

bool Command::loopOn(int loop) const {
    const int b = loopBit(loop, kLoop1OnBit, kLoop2OnBit);
    return b >= 0 && bit(flagsIndex(), b);
}

void Command::setLoopOn(int loop, bool on) {
    const int b = loopBit(loop, kLoop1OnBit, kLoop2OnBit);
    if (b >= 0) {
        setBit(flagsIndex(), b, on);
    }
}

bool Command::loopOff(int loop) const {
    const int b = loopBit(loop, kLoop1OffBit, kLoop2OffBit);
    return b >= 0 && bit(flagsIndex(), b);
}

void Command::setLoopOff(int loop, bool on) {
    const int b = loopBit(loop, kLoop1OffBit, kLoop2OffBit);
    if (b >= 0) {
        setBit(flagsIndex(), b, on);
    }
}

bool Command::outputOn(int output) const {
    return output >= 1 && output <= kOutputCount && bit(outputsOnIndex(), output - 1);
}

void Command::setOutputOn(int output, bool on) {
    if (output >= 1 && output <= kOutputCount) {
        setBit(outputsOnIndex(), output - 1, on);
        normalizeOutputsByte();
    }
}

bool Command::outputOff(int output) const {
    return output >= 1 && output <= kOutputCount && bit(outputsOffIndex(), output - 1);
}

void Command::setOutputOff(int output, bool on) {
    if (output >= 1 && output <= kOutputCount) {
        setBit(outputsOffIndex(), output - 1, on);
        normalizeOutputsByte();
    }
}

void Command::normalizeOutputsByte() {
    if (console) {
        return;
    }
    if (!bit(kCancelByte, kCancelBit) && byte(outputsOnIndex()) == 0 &&
        byte(outputsOffIndex()) == 0) {
        setByte(kCancelByte, 0);
    } else {
        setByte(kCancelByte, static_cast<std::uint8_t>((byte(kCancelByte) & kDeviceMark) |
                                                       (byte(0) & kAddressMask)));
    }
}

void Command::clearBytes() {
    std::fill(bytes.begin(), bytes.end(), 0);
}

} // namespace velora_protocol
