#include <velora_decoding/AnswerDecoder.h>
#include <velora_decoding/FrameText.h>

#include <gtest/gtest.h>

namespace {

// An answer frame with the given header and data bytes 2..6 (byte 1 and the CRC do not
// matter to the text).
std::wstring decode(std::uint8_t header, std::uint8_t loop1, std::uint8_t loop2, std::uint8_t lines,
                    std::uint8_t groups = 0, std::uint8_t supply = 0) {
    return AnswerDecoder({header, 0x7F, loop1, loop2, lines, groups, supply, 0xFF, 0xFF, 0xFF})
        .text();
}

} // namespace

TEST(AnswerDecoder, WholeLines) {
    EXPECT_EQ(decode(0x01, 0x01, 0x09, 0x0C),
              L"Ответ: бит OK; шлейф 1 - норма; шлейф 2 - пожар; л.с. 3 - норма; л.с. 4 - норма.");
    EXPECT_EQ(decode(0, 0, 0, 0), L"Ответ: - .");
    EXPECT_EQ(decode(0, 0, 0, 0, 0x05), L"Ответ: групповые команды 0, 2.");
    EXPECT_EQ(decode(0, 0, 0, 0, 0x40), L"Ответ: групповая команда 6.");
    EXPECT_EQ(decode(0, 0, 0, 0, 0xFF), L"Ответ: групповые команды 0, 1, 2, 3, 4, 5, 6, 7.");
    EXPECT_EQ(decode(0x04, 0, 0, 0), L"Ответ: сброс от прибора.");
    // Header bit 1 (always set in a long answer) adds nothing.
    EXPECT_EQ(decode(0x42, 0, 0, 0), L"Ответ: - .");
}

TEST(AnswerDecoder, PartOrderWithEverythingSet) {
    EXPECT_EQ(decode(0x07, 0x80, 0x40, 0xFF, 0x81, 0x80),
              L"Ответ: сброс от прибора; бит OK; тампер; шлейф 1 - сработал; шлейф 2 - отключён; "
              L"л.с. 3 - сработала; л.с. 4 - сработала; неисправность выходов с контролем; "
              L"Плохое напряжение питания; групповые команды 0, 7.");
    // Only bit 7 of byte 6 counts.
    EXPECT_EQ(decode(0, 0, 0, 0, 0, 0x7F), L"Ответ: - .");
}

TEST(AnswerDecoder, LoopStatePriority) {
    // Each row: the loop byte and the word it gives; every row adds a bit of lower
    // priority than the one it names, so the first set bit of the order must win.
    const std::pair<std::uint8_t, const wchar_t*> rows[] = {
        {0xFF, L"пожар"},     {0xF7, L"внимание"}, {0xF3, L"сработал"},      {0x73, L"блокировка"},
        {0x63, L"включение"}, {0x43, L"отключён"}, {0x03, L"неисправность"}, {0x01, L"норма"},
    };
    for (const auto& [bits, word] : rows) {
        EXPECT_EQ(decode(0, bits, 0, 0), std::wstring(L"Ответ: шлейф 1 - ") + word + L".")
            << int(bits);
        EXPECT_EQ(decode(0, 0, bits, 0), std::wstring(L"Ответ: шлейф 2 - ") + word + L".")
            << int(bits);
    }
}

TEST(AnswerDecoder, LineStatesAreIndependent) {
    EXPECT_EQ(decode(0, 0, 0, 0xC0), L"Ответ: л.с. 3 - сработала; л.с. 4 - сработала.");
    EXPECT_EQ(decode(0, 0, 0, 0x54), L"Ответ: л.с. 3 - сработала.");
    EXPECT_EQ(decode(0, 0, 0, 0x14), L"Ответ: л.с. 3 - неисправность.");
    EXPECT_EQ(decode(0, 0, 0, 0xA8), L"Ответ: л.с. 4 - сработала.");
    EXPECT_EQ(decode(0, 0, 0, 0x28), L"Ответ: л.с. 4 - неисправность.");
    EXPECT_EQ(decode(0, 0, 0, 0x24), L"Ответ: л.с. 3 - норма; л.с. 4 - неисправность.");
    // Tamper and outputs fault leave the line states alone.
    EXPECT_EQ(decode(0, 0, 0, 0x03), L"Ответ: тампер; неисправность выходов с контролем.");
}

TEST(AnswerDecoder, ShortSequencesReadMissingBytesAsZero) {
    EXPECT_EQ(AnswerDecoder({}).text(), L"Ответ: - .");
    EXPECT_EQ(AnswerDecoder({0x43, 0x05, 0x08}).text(), L"Ответ: бит OK; шлейф 1 - пожар.");
    EXPECT_EQ(AnswerDecoder({0x42, 0x05, 0, 0, 0, 0x10}).text(), L"Ответ: групповая команда 4.");
    // A cut answer reads as the whole answer with zeros in place of the missing bytes.
    for (std::size_t size = 0; size <= 6; ++size) {
        std::vector<std::uint8_t> whole{0x47, 0x05, 0xFF, 0x40, 0xFF, 0x81, 0x80};
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + size);
        std::fill(whole.begin() + size, whole.end(), 0);
        EXPECT_EQ(AnswerDecoder(cut).text(), AnswerDecoder(whole).text()) << size;
    }
}

// The Wireshark plugin's labels are the log's words with the first letter in upper case.
TEST(FrameText, CapitalisedRaisesOnlyTheFirstLetter) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"шлейф 1: пожар", L"Шлейф 1: пожар"},
        {L"бит OK", L"Бит OK"},
        {L"л.с. 3", L"Л.с. 3"},
        {L"ёлка", L"Ёлка"},
        {L"яма", L"Яма"},
        {L"Уже", L"Уже"},
        {L"ok", L"Ok"},
        {L"3 шлейфа", L"3 шлейфа"},
        {L"", L""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(velora_decoding::capitalised(text), expected);
    }
}
