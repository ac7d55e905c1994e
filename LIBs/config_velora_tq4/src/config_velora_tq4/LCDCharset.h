#pragma once

#include <cstdint>
#include <string>

namespace config_velora_tq4 {

// The panel's LCD has a Cyrillic character generator in which Cyrillic letters that look like
// Latin ones have no code of their own: texts are kept in display form, with the Latin twin.

// Replaces one of the 19 Cyrillic look-alikes by its Latin twin; any other code unit is kept.
char16_t lcdCorrectChar(char16_t c);
// Applies lcdCorrectChar to every character of the text.
void lcdCorrectText(std::wstring& text);
// The display code of a character; 0x2E (".") for a character the display cannot show.
std::uint8_t toLcdCode(char16_t c);
// The character of a display code (low 8 bits of the argument); "." for a code without one.
char16_t fromLcdCode(unsigned code);

} // namespace config_velora_tq4
