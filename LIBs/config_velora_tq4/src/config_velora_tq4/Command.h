#pragma once

#include <velora_protocol/Command.h>

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace config_velora_tq4 {

// A command of the configuration: the line's command with its name, read from and written
// to the configuration file.
class Command : public velora_protocol::Command {
public:
    using velora_protocol::Command::Command;
    ~Command() override = default;

    const std::wstring& name() const { return commandName; }
    void setName(const std::wstring& name) { commandName = name; }

    std::wstring text(bool omitAddress) const;

    void toXml(QXmlStreamWriter& writer) const;
    // Reads a "command" element; the reader stands on its start and ends on its end.
    void fromXml(QXmlStreamReader& reader);

private:
    std::wstring commandName;
};

// "0x" and two upper-case hexadecimal digits: 0x0A, 0xC1.
QString toHexLiteral(std::uint8_t value);

// "Команда N" with N = index + 1; empty for a negative index.
std::wstring defaultCommandName(int index);

} // namespace config_velora_tq4
