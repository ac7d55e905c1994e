#pragma once

#include <cstdint>
#include <sstream>
#include <string>

namespace velora_decoding {

// A decoded line: a header, then parts joined by "; ", "- " when no part was written,
// and a final full stop.
class TextParts {
public:
    explicit TextParts(const wchar_t* header) { out << header; }

    void part(const std::wstring& text);
    // Writes the separator a following part would need and starts a new, empty run of
    // parts (a console command's device part begins this way).
    void restartAfter(const std::wstring& header);
    // The parts "групповая команда N" / "групповые команды N, M" of the set bits of
    // `bits`, bit k being group k + firstGroup.
    void groupCommands(std::uint8_t bits, int firstGroup);

    std::wstring finish();

    // The numbers k + first of the set bits k of `bits`, ascending, joined by ", ".
    static std::wstring bitNumbers(std::uint8_t bits, int first);

private:
    std::wostringstream out;
    bool partWritten = false;
};

} // namespace velora_decoding
