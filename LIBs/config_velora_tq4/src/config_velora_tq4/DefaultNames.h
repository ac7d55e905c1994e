#pragma once

#include <string>

namespace config_velora_tq4 {

// Default display names. The texts are in display form except groupName and
// sectionConsoleTitle, which are all Cyrillic.

// "Aдpec " and the address (1..127), with "prefixNumber." before it when prefixNumber is
// 1..24; empty for any other address.
std::wstring deviceTitle(int address, int prefixNumber);
// deviceTitle followed by the input's or the outputs' suffix, also when deviceTitle is empty.
std::wstring loop1Title(int address, int prefixNumber);
std::wstring loop2Title(int address, int prefixNumber);
std::wstring line3Title(int address, int prefixNumber);
std::wstring line4Title(int address, int prefixNumber);
std::wstring outsTitle(int address, int prefixNumber);
// "Группа " and the letter A..G for group 1..7; empty otherwise.
std::wstring groupName(int group);
// "Пyльт-дyблёp " and n, for n in 1..24; empty otherwise.
std::wstring dublerTitle(int n);
// "Секционный пульт " and n, for n in 1..24; empty otherwise.
std::wstring sectionConsoleTitle(int n);

} // namespace config_velora_tq4
