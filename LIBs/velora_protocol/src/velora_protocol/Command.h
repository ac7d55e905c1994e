#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velora_protocol {

// One command of the line, held as its bytes, in one of two layouts.
//
// Device layout (the command frame of the line):
//   [0] 0x80 | device address (0 = all devices)   [1] group commands 0..7, bit k = group k
//   [2] flags: bit 0 reset, bit 2 loop 1 off, bit 4 loop 1 on, bit 5 loop 2 on, bit 7 loop 2 off
//   [3] bit 7 cancel alarm, bits 6..0 copy of the address (0 when nothing needs it)
//   [4] outputs 1..8 on   [5] outputs 1..8 off   [6..7] CRC low, high
// Console layout:
//   [0] 0xC0 | console number (0 = all consoles)  [1] bit 7 reset, bits 0..3 groups 4..7
//   [2] unused  [3] bit 0 cancel alarm  [4] flags of the device of [5], as above
//   [5] device number (0 = no device part)  [6] its outputs on  [7] its outputs off
//
// The byte count is fixed at construction; bytes beyond it read as 0 and are never written.
class Command {
public:
    static constexpr std::size_t kLength = 8;

    // Where a layout keeps the device's part: the first byte's mark, the byte of the flags
    // (reset, loops), the bytes of the outputs switched on and off, the cancel bit of byte 3.
    struct Layout {
        std::uint8_t mark;
        std::size_t flags;
        std::size_t outputsOn;
        std::size_t outputsOff;
        int cancelBit;
    };
    static constexpr Layout kDeviceLayout{0x80, 2, 4, 5, 7};
    static constexpr Layout kConsoleLayout{0xC0, 4, 6, 7, 0};
    // The bits of the flags byte.
    enum FlagBit : int {
        kResetBit = 0,
        kLoop1OffBit = 2,
        kLoop1OnBit = 4,
        kLoop2OnBit = 5,
        kLoop2OffBit = 7,
    };
    // Byte 1: the groups; the console layout has its reset in bit 7 and groups 4..7 only.
    static constexpr std::size_t kGroupsByte = 1;
    static constexpr int kConsoleResetBit = 7;
    static constexpr int kConsoleFirstGroup = 4;
    // Byte 3: the cancel bit and, in the device layout, the copy of the address.
    static constexpr std::size_t kCancelByte = 3;
    // The console layout: the device of its device part; its own number in the first byte.
    static constexpr std::size_t kConsoleDeviceByte = 5;
    static constexpr std::uint8_t kConsoleNumberMask = 0x3F;
    static constexpr int kOutputCount = 8;
    static constexpr int kGroupCount = 8;

    explicit Command(bool consoleFormat);
    Command(const std::vector<std::uint8_t>& frame, bool consoleFormat);
    virtual ~Command() = default;

    bool isConsoleFormat() const { return console; }
    const std::vector<std::uint8_t>& data() const { return bytes; }
    std::uint8_t byte(std::size_t index) const { return index < bytes.size() ? bytes[index] : 0; }
    bool bit(std::size_t index, int bitNumber) const { return (byte(index) >> bitNumber) & 1; }
    const Layout& layout() const { return console ? kConsoleLayout : kDeviceLayout; }
    std::size_t flagsIndex() const { return layout().flags; }
    std::size_t outputsOnIndex() const { return layout().outputsOn; }
    std::size_t outputsOffIndex() const { return layout().outputsOff; }

    int consoleNumber() const;
    void setConsoleNumber(int number);
    bool consoleReset() const;
    void setConsoleReset(bool on);
    bool groupCommand(int group) const;
    void setGroupCommand(int group, bool on);
    bool cancelAlarm() const;
    void setCancelAlarm(bool on);
    int deviceAddress() const;
    void setDeviceAddress(int address);
    bool deviceReset() const;
    void setDeviceReset(bool on);
    bool loopOn(int loop) const;
    void setLoopOn(int loop, bool on);
    bool loopOff(int loop) const;
    void setLoopOff(int loop, bool on);
    bool outputOn(int output) const;
    void setOutputOn(int output, bool on);
    bool outputOff(int output) const;
    void setOutputOff(int output, bool on);

    // Device layout: byte 3 repeats the device address whenever the command cancels an
    // alarm or switches an output, and is 0 otherwise.
    void normalizeOutputsByte();

protected:
    void setByte(std::size_t index, std::uint8_t value);
    void clearBytes();

private:
    void setBit(std::size_t index, int bitNumber, bool on);
    // Bit `bitNumber` of the flags byte; false for -1.
    bool flag(int bitNumber) const;
    void setFlag(int bitNumber, bool on);
    // Output 1..8 in the outputs byte `index`.
    bool output(std::size_t index, int number) const;
    void setOutput(std::size_t index, int number, bool on);
    // The flag bit of `loop` (1 or 2) in the flags byte, or -1.
    static int loopBit(int loop, int loop1Bit, int loop2Bit);

    bool console;
    std::vector<std::uint8_t> bytes;
};

} // namespace velora_protocol
