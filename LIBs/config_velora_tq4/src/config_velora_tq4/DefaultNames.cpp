#include <config_velora_tq4/DefaultNames.h>

#include <QString>

namespace config_velora_tq4 {

namespace {

constexpr int kMaxAddress = 127;
constexpr int kMaxConsole = 24;
constexpr int kMaxGroup = 7;

std::u16string decimal(int n) {
    return QString::number(n).toStdU16String();
}

// prefix followed by n when n is 1..maxN; empty otherwise.
std::u16string numbered(const char16_t* prefix, int n, int maxN) {
    if (n < 1 || n > maxN) {
        return {};
    }
    return prefix + decimal(n);
}

} // namespace

std::u16string deviceTitle(int address, int prefixNumber) {
    if (address < 1 || address > kMaxAddress) {
        return {};
    }
    std::u16string title = u"A\u0434pec ";
    if (prefixNumber >= 1 && prefixNumber <= kMaxConsole) {
        title += decimal(prefixNumber) + u".";
    }
    return title + decimal(address);
}

std::u16string loop1Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + u" \u0428\u043Be\u0439\u0444 1";
}

std::u16string loop2Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + u" \u0428\u043Be\u0439\u0444 2";
}

std::u16string line3Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + u" \u041B.c. 3";
}

std::u16string line4Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + u" \u041B.c. 4";
}

std::u16string outsTitle(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + u" B\u044Bxo\u0434\u044B";
}

std::u16string groupName(int group) {
    if (group < 1 || group > kMaxGroup) {
        return {};
    }
    return std::u16string(u"Группа ") + static_cast<char16_t>(0x40 + group);
}

std::u16string dublerTitle(int n) {
    return numbered(u"\u041Fy\u043B\u044C\u0442-\u0434y\u0431\u043B\u0451p ", n, kMaxConsole);
}

std::u16string sectionConsoleTitle(int n) {
    return numbered(u"Секционный пульт ", n, kMaxConsole);
}

} // namespace config_velora_tq4
