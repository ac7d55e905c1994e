#include <config_velora_tq4/LCDCharset.h>

#include <gtest/gtest.h>

using namespace config_velora_tq4;

TEST(LCDCharset, LookAlikesBecomeLatin) {
    const std::u16string cyrillic = u"АВЕКМНОРСТХЬаеорсух";
    const std::u16string latin = u"ABEKMHOPCTXbaeopcyx";
    for (std::size_t i = 0; i < cyrillic.size(); ++i) {
        EXPECT_EQ(lcdCorrectChar(cyrillic[i]), latin[i]) << i;
    }
    int changed = 0;
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        changed += lcdCorrectChar(static_cast<char16_t>(c)) != c;
    }
    EXPECT_EQ(changed, 19);

    std::wstring word = L"Норма";
    lcdCorrectText(word);
    EXPECT_EQ(word, L"Hop\u043Ca");
    lcdCorrectText(word);
    EXPECT_EQ(word, L"Hop\u043Ca");
}

// Characters and their codes both ways: the code of a character, the character of a code.
TEST(LCDCharset, CodesAndCharacters) {
    const struct {
        char16_t character;
        unsigned code;
    } codes[] = {
        {u' ', 0x20},      {u'z', 0x7A},      {u'{', 0x2E},      {u'\u001F', 0x2E},
        {u'\u0400', 0x2E}, {u'\u0402', 0x2E}, {u'\u040F', 0x2E}, {u'\u0450', 0x2E},
        {u'\u0452', 0x2E}, {u'Ё', 0xA2},      {u'Д', 0xE0},      {u'Я', 0xB1},
        {u'а', 0x61},      {u'ж', 0xB6},      {u'я', 0xC7},      {u'ё', 0xB5},
    };
    for (const auto& pair : codes) {
        EXPECT_EQ(toLcdCode(pair.character), pair.code) << std::hex << unsigned(pair.character);
    }
    const struct {
        unsigned code;
        char16_t character;
    } characters[] = {
        {0x41, u'A'}, {0x1F, u'.'}, {0x7F, u'.'},  {0x9F, u'.'}, {0xA0, u'Б'},
        {0xB1, u'Я'}, {0xB2, u'б'}, {0xC7, u'я'},  {0xC8, u'.'}, {0xDF, u'.'},
        {0xE6, u'щ'}, {0xE7, u'.'}, {0x1A5, u'И'}, // only the low 8 bits count
    };
    for (const auto& pair : characters) {
        EXPECT_EQ(fromLcdCode(pair.code), pair.character) << std::hex << pair.code;
    }
}

// Every code with a character of its own comes back from that character; every Cyrillic
// letter comes back as itself or, for a look-alike, as its Latin twin.
TEST(LCDCharset, TablesAreInverse) {
    int ownCharacters = 0;
    for (unsigned b = 0; b < 256; ++b) {
        const char16_t c = fromLcdCode(b);
        if (c != u'.') {
            EXPECT_EQ(toLcdCode(c), b) << std::hex << b;
            ++ownCharacters;
        }
    }
    EXPECT_EQ(ownCharacters, (0x7A - 0x20 + 1) - 1 + 47);

    for (char16_t c = u'\u0401'; c <= u'\u0451'; ++c) {
        const std::uint8_t code = toLcdCode(c);
        if (code == 0x2E) {
            EXPECT_TRUE((c >= u'\u0402' && c <= u'\u040F') || c == u'\u0450') << std::hex << c;
            continue;
        }
        EXPECT_EQ(fromLcdCode(code), lcdCorrectChar(c)) << std::hex << c;
    }
}
