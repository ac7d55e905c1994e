#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace config_velora_tq4 {

class TextParts;

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

    explicit Command(bool consoleFormat);
    Command(const std::vector<std::uint8_t>& frame, bool consoleFormat);
    virtual ~Command() = default;

    bool isConsoleFormat() const { return console; }
    const std::wstring& name() const { return commandName; }
    void setName(const std::wstring& name) { commandName = name; }
    const std::vector<std::uint8_t>& data() const { return bytes; }

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

    std::wstring text(bool omitAddress) const;

    void toXml(QXmlStreamWriter& writer) const;
    // Reads a "command" element; the reader stands on its start and ends on its end.
    void fromXml(QXmlStreamReader& reader);

private:
    std::uint8_t byte(std::size_t index) const { return index < bytes.size() ? bytes[index] : 0; }
    void setByte(std::size_t index, std::uint8_t value);
    bool bit(std::size_t index, int bitNumber) const { return (byte(index) >> bitNumber) & 1; }
    void setBit(std::size_t index, int bitNumber, bool on);
    std::size_t flagsIndex() const { return console ? 4 : 2; }
    std::size_t outputsOnIndex() const { return console ? 6 : 4; }
    std::size_t outputsOffIndex() const { return console ? 7 : 5; }
    // The flag bit of `loop` (1 or 2) in the flags byte, or -1.
    static int loopBit(int loop, int loop1Bit, int loop2Bit);
    void deviceText(TextParts& parts) const;
    std::wstring deviceLayoutText(bool omitAddress) const;
    std::wstring consoleLayoutText() const;

    bool console;
    std::wstring commandName;
    std::vector<std::uint8_t> bytes;
};

// "0x" and two upper-case hexadecimal digits: 0x0A, 0xC1.
QString toHexLiteral(std::uint8_t value);

// "Команда N" with N = index + 1; empty for a negative index.
std::wstring defaultCommandName(int index);

} // namespace config_velora_tq4
