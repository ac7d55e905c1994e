#include <config_velora_tq4/Command.h>
#include <config_velora_tq4/TextParts.h>
#include <config_velora_tq4/XmlText.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <sstream>

namespace config_velora_tq4 {

namespace {

// Flag bits of the flags byte (device layout byte 2, console layout byte 4).
constexpr int kResetBit = 0;
constexpr int kLoop1OffBit = 2;
constexpr int kLoop1OnBit = 4;
constexpr int kLoop2OnBit = 5;
constexpr int kLoop2OffBit = 7;

constexpr std::uint8_t kAllOutputs = 0xFF;

// "включить шлейф 1", "... 2", "включить шлейфы 1 и 2", or nothing.
void loopPhrase(TextParts& parts, const wchar_t* verb, bool loop1, bool loop2) {
    if (!loop1 && !loop2) {
        return;
    }
    std::wstring phrase = verb;
    phrase += loop1 && loop2 ? L"ы 1 и 2" : loop1 ? L" 1" : L" 2";
    parts.part(phrase);
}

// "включить выход 3", "включить выходы 1, 3", "включить все выходы", or nothing.
void outputPhrase(TextParts& parts, const wchar_t* verb, std::uint8_t outputs) {
    if (outputs == 0) {
        return;
    }
    std::wstring phrase = verb;
    if (outputs == kAllOutputs) {
        phrase += L" все выходы";
    } else {
        const bool single = (outputs & (outputs - 1)) == 0;
        phrase += single ? L" выход " : L" выходы ";
        phrase += TextParts::bitNumbers(outputs, 1);
    }
    parts.part(phrase);
}

} // namespace

Command::Command(bool consoleFormat)
    : console(consoleFormat)
    , bytes(kLength, 0) {
    bytes[0] = consoleFormat ? 0xC1 : 0x81;
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
    return console ? byte(0) & 0x3F : 0;
}

void Command::setConsoleNumber(int number) {
    if (console) {
        setByte(0, number <= 0 ? 0 : static_cast<std::uint8_t>(number | 0xC0));
    }
}

bool Command::consoleReset() const {
    return console && bit(1, 7);
}

void Command::setConsoleReset(bool on) {
    if (console) {
        setBit(1, 7, on);
    }
}

bool Command::groupCommand(int group) const {
    if (console) {
        return group >= 4 && group <= 7 && bit(1, group - 4);
    }
    return group >= 0 && group <= 7 && bit(1, group);
}

void Command::setGroupCommand(int group, bool on) {
    if (console && group >= 4 && group <= 7) {
        setBit(1, group - 4, on);
    } else if (!console && group >= 0 && group <= 7) {
        setBit(1, group, on);
    }
}

bool Command::cancelAlarm() const {
    return console ? bit(3, 0) : bit(3, 7);
}

void Command::setCancelAlarm(bool on) {
    if (console) {
        setBit(3, 0, on);
    } else if (on) {
        setByte(3, byte(0) | 0x80);
    } else {
        setBit(3, 7, false);
        normalizeOutputsByte();
    }
}

int Command::deviceAddress() const {
    return console ? byte(5) : byte(0) & 0x7F;
}

void Command::setDeviceAddress(int address) {
    if (console) {
        setByte(5, static_cast<std::uint8_t>(address & 0x7F));
        return;
    }
    setByte(0, address <= 0 ? 0 : static_cast<std::uint8_t>(address | 0x80));
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
    return output >= 1 && output <= 8 && bit(outputsOnIndex(), output - 1);
}

void Command::setOutputOn(int output, bool on) {
    if (output >= 1 && output <= 8) {
        setBit(outputsOnIndex(), output - 1, on);
        normalizeOutputsByte();
    }
}

bool Command::outputOff(int output) const {
    return output >= 1 && output <= 8 && bit(outputsOffIndex(), output - 1);
}

void Command::setOutputOff(int output, bool on) {
    if (output >= 1 && output <= 8) {
        setBit(outputsOffIndex(), output - 1, on);
        normalizeOutputsByte();
    }
}

void Command::normalizeOutputsByte() {
    if (console) {
        return;
    }
    if (!bit(3, 7) && byte(4) == 0 && byte(5) == 0) {
        setByte(3, 0);
    } else {
        setByte(3, static_cast<std::uint8_t>((byte(3) & 0x80) | (byte(0) & 0x7F)));
    }
}

void Command::deviceText(TextParts& parts) const {
    const std::uint8_t flags = byte(flagsIndex());
    loopPhrase(parts, L"включить шлейф", (flags >> kLoop1OnBit) & 1, (flags >> kLoop2OnBit) & 1);
    loopPhrase(parts, L"выключить шлейф", (flags >> kLoop1OffBit) & 1, (flags >> kLoop2OffBit) & 1);
    outputPhrase(parts, L"включить", byte(outputsOnIndex()));
    outputPhrase(parts, L"выключить", byte(outputsOffIndex()));
}

std::wstring Command::deviceLayoutText(bool omitAddress) const {
    std::wostringstream header;
    const int address = byte(0) & 0x7F;
    if (omitAddress) {
        header << L"Команда: ";
    } else if (address != 0) {
        header << L"Команда прибору " << address << L": ";
    } else {
        header << L"Команда всем приборам: ";
    }
    TextParts parts(header.str().c_str());
    if (bit(2, kResetBit)) {
        parts.part(L"сброс");
    }
    if (bit(3, 7)) {
        parts.part(L"отмена тревоги");
    }
    parts.groupCommands(byte(1), 0);
    deviceText(parts);
    return parts.finish();
}

std::wstring Command::consoleLayoutText() const {
    std::wostringstream header;
    const int number = byte(0) & 0x3F;
    if (number != 0) {
        header << L"Команда пульту " << number << L": ";
    } else {
        header << L"Команда всем пультам: ";
    }
    TextParts parts(header.str().c_str());
    if (bit(1, 7)) {
        parts.part(L"сброс");
    }
    if (bit(3, 0)) {
        parts.part(L"отмена тревоги");
    }
    parts.groupCommands(byte(1) & 0x0F, 4);
    const int device = byte(5);
    if (device != 0) {
        std::wostringstream deviceHeader;
        deviceHeader << L"команда прибору " << device << L": ";
        parts.restartAfter(deviceHeader.str());
        if (bit(4, kResetBit)) {
            parts.part(L"сброс");
        }
        deviceText(parts);
    }
    return parts.finish();
}

std::wstring Command::text(bool omitAddress) const {
    return console ? consoleLayoutText() : deviceLayoutText(omitAddress);
}

void Command::toXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("command"));
    writer.writeTextElement(QStringLiteral("name"), QString::fromStdWString(commandName));
    writer.writeStartElement(QStringLiteral("data"));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        writer.writeStartElement(QStringLiteral("byte"));
        writer.writeAttribute(QStringLiteral("i"), QString::number(i));
        writer.writeCharacters(toHexLiteral(bytes[i]));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndElement();
}

void Command::fromXml(QXmlStreamReader& reader) {
    commandName.clear();
    std::fill(bytes.begin(), bytes.end(), 0);
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("name")) {
            commandName = readWText(reader);
        } else if (reader.name() == QLatin1String("data")) {
            while (reader.readNextStartElement()) {
                if (reader.name() != QLatin1String("byte")) {
                    reader.skipCurrentElement();
                    continue;
                }
                // A missing or malformed index reads as 0.
                const int index = reader.attributes().value(QLatin1String("i")).toInt();
                if (static_cast<unsigned>(index) >= bytes.size()) {
                    reader.skipCurrentElement();
                    continue;
                }
                const QString value = readText(reader);
                if (value.startsWith(QLatin1String("0x"))) {
                    bytes[static_cast<std::size_t>(index)] =
                        static_cast<std::uint8_t>(value.midRef(2).toULongLong(nullptr, 16));
                }
            }
        } else {
            reader.skipCurrentElement();
        }
    }
}

QString toHexLiteral(std::uint8_t value) {
    return QLatin1String("0x") +
           QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

std::wstring defaultCommandName(int index) {
    if (index < 0) {
        return {};
    }
    std::wostringstream name;
    name << L"Команда " << index + 1;
    return name.str();
}

} // namespace config_velora_tq4
