#include <config_velora_tq4/DefaultNames.h>

#include <velora_protocol/Addresses.h>

#include <QString>

namespace config_velora_tq4 {

namespace {

constexpr int kMaxAddress = velora_protocol::kSpecialAddress;
constexpr int kMaxConsole = 24;
constexpr int kMaxGroup = 7;

std::wstring decimal(int n) {
    return QString::number(n).toStdWString();
}

// prefix followed by n when n is 1..maxN; empty otherwise.
std::wstring numbered(const wchar_t* prefix, int n, int maxN) {
    if (n < 1 || n > maxN) {
        return {};
    }
    return prefix + decimal(n);
}

} // namespace

std::wstring deviceTitle(int address, int prefixNumber) {
    if (address < 1 || address > kMaxAddress) {
        return {};
    }
    std::wstring title = L"A\u0434pec ";
    if (prefixNumber >= 1 && prefixNumber <= kMaxConsole) {
        title += decimal(prefixNumber) + L".";
    }
    return title + decimal(address);
}

std::wstring loop1Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + L" \u0428\u043Be\u0439\u0444 1";
}

std::wstring loop2Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + L" \u0428\u043Be\u0439\u0444 2";
}

std::wstring line3Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + L" \u041B.c. 3";
}

std::wstring line4Title(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + L" \u041B.c. 4";
}

std::wstring outsTitle(int address, int prefixNumber) {
    return deviceTitle(address, prefixNumber) + L" B\u044Bxo\u0434\u044B";
}

std::wstring groupName(int group) {
    if (group < 1 || group > kMaxGroup) {
        return {};
    }
    return std::wstring(L"Группа ") + static_cast<wchar_t>(0x40 + group);
}

std::wstring dublerTitle(int n) {
    return numbered(L"\u041Fy\u043B\u044C\u0442-\u0434y\u0431\u043B\u0451p ", n, kMaxConsole);
}

std::wstring sectionConsoleTitle(int n) {
    return numbered(L"Секционный пульт ", n, kMaxConsole);
}

} // namespace config_velora_tq4
