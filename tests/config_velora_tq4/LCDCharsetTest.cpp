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

TEST(LCDCharset, CodesOfCharacters) {
    EXPECT_EQ(toLcdCode(u' '), 0x20);
    EXPECT_EQ(toLcdCode(u'z'), 0x7A);
    EXPECT_EQ(toLcdCode(u'{'), 0x2E);
    EXPECT_EQ(toLcdCode(u'\u001F'), 0x2E);
    EXPECT_EQ(toLcdCode(u'\u0400'), 0x2E);
    EXPECT_EQ(toLcdCode(u'\u0402'), 0x2E);
    EXPECT_EQ(toLcdCode(u'\u040F'), 0x2E);
    EXPECT_EQ(toLcdCode(u'\u0450'), 0x2E);
    EXPECT_EQ(toLcdCode(u'\u0452'), 0x2E);
    EXPECT_EQ(toLcdCode(u'Ё'), 0xA2);
    EXPECT_EQ(toLcdCode(u'Д'), 0xE0);
    EXPECT_EQ(toLcdCode(u'Я'), 0xB1);
    EXPECT_EQ(toLcdCode(u'а'), 0x61);
    EXPECT_EQ(toLcdCode(u'ж'), 0xB6);
    EXPECT_EQ(toLcdCode(u'я'), 0xC7);
    EXPECT_EQ(toLcdCode(u'ё'), 0xB5);
}

TEST(LCDCharset, CharactersOfCodes) {
    EXPECT_EQ(fromLcdCode(0x41), u'A');
    EXPECT_EQ(fromLcdCode(0x1F), u'.');
    EXPECT_EQ(fromLcdCode(0x7F), u'.');
    EXPECT_EQ(fromLcdCode(0x9F), u'.');
    EXPECT_EQ(fromLcdCode(0xA0), u'Б');
    EXPECT_EQ(fromLcdCode(0xB1), u'Я');
    EXPECT_EQ(fromLcdCode(0xB2), u'б');
    EXPECT_EQ(fromLcdCode(0xC7), u'я');
    EXPECT_EQ(fromLcdCode(0xC8), u'.');
    EXPECT_EQ(fromLcdCode(0xDF), u'.');
    EXPECT_EQ(fromLcdCode(0xE6), u'щ');
    EXPECT_EQ(fromLcdCode(0xE7), u'.');
    EXPECT_EQ(fromLcdCode(0x1A5), u'И'); // only the low 8 bits count
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
