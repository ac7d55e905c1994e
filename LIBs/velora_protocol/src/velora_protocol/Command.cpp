#include <velora_protocol/Addresses.h>
#include <velora_protocol/Command.h>

#include <algorithm>

namespace velora_protocol {

Command::Command(bool consoleFormat)
    : console(consoleFormat)
    , bytes(kLength, 0) {
    // Console or device 1.
    bytes[0] = static_cast<std::uint8_t>(layout().mark | 1);
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
        setByte(0, number <= 0 ? 0 : static_cast<std::uint8_t>(number | kConsoleLayout.mark));
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
    return bit(kCancelByte, layout().cancelBit);
}

void Command::setCancelAlarm(bool on) {
    if (console) {
        setBit(kCancelByte, kConsoleLayout.cancelBit, on);
    } else if (on) {
        setByte(kCancelByte, byte(0) | kDeviceLayout.mark);
    } else {
        setBit(kCancelByte, kDeviceLayout.cancelBit, false);
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
    setByte(0, address <= 0 ? 0 : static_cast<std::uint8_t>(address | kDeviceLayout.mark));
    normalizeOutputsByte();
}

bool Command::flag(int bitNumber) const {
    return bitNumber >= 0 && bit(flagsIndex(), bitNumber);
}

void Command::setFlag(int bitNumber, bool on) {
    if (bitNumber >= 0) {
        setBit(flagsIndex(), bitNumber, on);
    }
}

bool Command::deviceReset() const {
    return flag(kResetBit);
}

void Command::setDeviceReset(bool on) {
    setFlag(kResetBit, on);
}

bool Command::loopOn(int loop) const {
    return flag(loopBit(loop, kLoop1OnBit, kLoop2OnBit));
}

void Command::setLoopOn(int loop, bool on) {
    setFlag(loopBit(loop, kLoop1OnBit, kLoop2OnBit), on);
}

bool Command::loopOff(int loop) const {
    return flag(loopBit(loop, kLoop1OffBit, kLoop2OffBit));
}

void Command::setLoopOff(int loop, bool on) {
    setFlag(loopBit(loop, kLoop1OffBit, kLoop2OffBit), on);
}

bool Command::output(std::size_t index, int number) const {
    return number >= 1 && number <= kOutputCount && bit(index, number - 1);
}

void Command::setOutput(std::size_t index, int number, bool on) {
    if (number >= 1 && number <= kOutputCount) {
        setBit(index, number - 1, on);
        normalizeOutputsByte();
    }
}

bool Command::outputOn(int number) const {
    return output(outputsOnIndex(), number);
}

void Command::setOutputOn(int number, bool on) {
    setOutput(outputsOnIndex(), number, on);
}

bool Command::outputOff(int number) const {
    return output(outputsOffIndex(), number);
}

void Command::setOutputOff(int number, bool on) {
    setOutput(outputsOffIndex(), number, on);
}

void Command::normalizeOutputsByte() {
    if (console) {
        return;
    }
    if (!bit(kCancelByte, kDeviceLayout.cancelBit) && byte(outputsOnIndex()) == 0 &&
        byte(outputsOffIndex()) == 0) {
        setByte(kCancelByte, 0);
    } else {
        setByte(kCancelByte, static_cast<std::uint8_t>((byte(kCancelByte) & kDeviceLayout.mark) |
                                                       (byte(0) & kAddressMask)));
    }
}

void Command::clearBytes() {
    std::fill(bytes.begin(), bytes.end(), 0);
}

} // namespace velora_protocol
