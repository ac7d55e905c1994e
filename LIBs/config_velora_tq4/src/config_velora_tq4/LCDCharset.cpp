#include <config_velora_tq4/LCDCharset.h>

#include <array>

namespace config_velora_tq4 {

namespace {

constexpr char16_t kDot = u'.';
constexpr std::uint8_t kDotCode = 0x2E;

struct LookAlike {
    char16_t cyrillic;
    char16_t latin;
};

constexpr std::array<LookAlike, 19> kLookAlikes{{
    {u'\u0410', u'A'}, {u'\u0412', u'B'}, {u'\u0415', u'E'}, {u'\u041A', u'K'}, {u'\u041C', u'M'},
    {u'\u041D', u'H'}, {u'\u041E', u'O'}, {u'\u0420', u'P'}, {u'\u0421', u'C'}, {u'\u0422', u'T'},
    {u'\u0425', u'X'}, {u'\u042C', u'b'}, {u'\u0430', u'a'}, {u'\u0435', u'e'}, {u'\u043E', u'o'},
    {u'\u0440', u'p'}, {u'\u0441', u'c'}, {u'\u0443', u'y'}, {u'\u0445', u'x'},
}};

// Display codes of U+0401..U+0451; the unused U+0402..U+040F and U+0450 show as ".".
constexpr char16_t kFirstCyrillic = u'\u0401';
constexpr std::array<std::uint8_t, 81> kCyrillicCodes{{
    0xA2,                                                                   // Ё
    0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, 0x2E, // U+0402..U+040D
    0x2E, 0x2E,                                                             // U+040E, U+040F
    0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA3, 0xA4, // А Б В Г Д Е Ж З
    0xA5, 0xA6, 0x4B, 0xA7, 0x4D, 0x48, 0x4F, 0xA8, // И Й К Л М Н О П
    0x50, 0x43, 0x54, 0xA9, 0xAA, 0x58, 0xE1, 0xAB, // Р С Т У Ф Х Ц Ч
    0xAC, 0xE2, 0xAD, 0xAE, 0x62, 0xAF, 0xB0, 0xB1, // Ш Щ Ъ Ы Ь Э Ю Я
    0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB6, 0xB7, // а б в г д е ж з
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0x6F, 0xBE, // и й к л м н о п
    0x70, 0x63, 0xBF, 0x79, 0xE4, 0x78, 0xE5, 0xC0, // р с т у ф х ц ч
    0xC1, 0xE6, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, // ш щ ъ ы ь э ю я
    0x2E, 0xB5,                                     // U+0450, ё
}};

// Characters of the display codes 0xA0..0xE6; 0xC8..0xDF have none.
constexpr std::uint8_t kFirstCyrillicCode = 0xA0;
constexpr std::array<char16_t, 71> kCodeCharacters{{
    u'Б', u'Г', u'Ё', u'Ж', u'З', u'И', u'Й', u'Л', u'П', u'У', u'Ф', u'Ч',
    u'Ш', u'Ъ', u'Ы', u'Э', u'Ю', u'Я', // 0xA0..0xB1
    u'б', u'в', u'г', u'ё', u'ж', u'з', u'и', u'й', u'к', u'л', u'м', u'н',
    u'п', u'т', u'ч', u'ш', u'ъ', u'ы', u'ь', u'э', u'ю', u'я', // 0xB2..0xC7
    kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot,
    kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, kDot, // 0xC8..0xDF
    u'Д', u'Ц', u'Щ', u'д', u'ф', u'ц', u'щ',                               // 0xE0..0xE6
}};

// Codes 0x20..0x7A are ASCII on the display, both ways.
bool isDirectCode(unsigned c) {
    return c >= 0x20 && c <= 0x7A;
}

} // namespace

char16_t lcdCorrectChar(char16_t c) {
    for (const auto& pair : kLookAlikes) {
        if (pair.cyrillic == c) {
            return pair.latin;
        }
    }
    return c;
}

void lcdCorrectText(std::wstring& text) {
    // wchar_t is 32 bits on Linux and 16 on Windows: only characters of 16 bits are looked up.
    for (auto& c : text) {
        if ((static_cast<std::uint32_t>(c) & ~0xFFFFu) == 0) {
            c = static_cast<wchar_t>(lcdCorrectChar(static_cast<char16_t>(c)));
        }
    }
}

std::uint8_t toLcdCode(char16_t c) {
    if (isDirectCode(c)) {
        return static_cast<std::uint8_t>(c);
    }
    const unsigned index = static_cast<unsigned>(c) - kFirstCyrillic;
    if (c >= kFirstCyrillic && index < kCyrillicCodes.size()) {
        return kCyrillicCodes[index];
    }
    return kDotCode;
}

char16_t fromLcdCode(unsigned code) {
    const unsigned b = code & 0xFFu;
    if (isDirectCode(b)) {
        return static_cast<char16_t>(b);
    }
    if (b >= kFirstCyrillicCode && b - kFirstCyrillicCode < kCodeCharacters.size()) {
        return kCodeCharacters[b - kFirstCyrillicCode];
    }
    return kDot;
}

} // namespace config_velora_tq4
