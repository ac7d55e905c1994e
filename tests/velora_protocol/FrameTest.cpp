#include <velora_protocol/Crc16.h>
#include <velora_protocol/newp/Answer.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velora_protocol::crc16;
using velora_protocol::crc16Table;
using velora_protocol::newp::Answer;

namespace {

// Bit-by-bit reference of the same CRC, to check the table-driven one against.
std::uint16_t bitwiseCrc(const std::vector<std::uint8_t>& bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const auto b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

} // namespace

TEST(Crc16, CheckValueAndTableEntries) {
    const std::string text = "123456789";
    EXPECT_EQ(crc16(text.begin(), text.end()), 0x4B37);
    EXPECT_EQ(crc16Table()[0], 0x0000);
    EXPECT_EQ(crc16Table()[1], 0xC0C1);
    EXPECT_EQ(crc16Table()[128], 0xA001);
    EXPECT_EQ(crc16Table()[255], 0x4040);
}

TEST(Crc16, MatchesBitwiseReferenceAndFrameWithCrcChecksToZero) {
    std::vector<std::uint8_t> frame;
    for (int length = 0; length < 40; ++length) {
        EXPECT_EQ(crc16(frame.data(), frame.size()), bitwiseCrc(frame));
        std::vector<std::uint8_t> withCrc = frame;
        const std::uint16_t crc = crc16(frame.data(), frame.size());
        withCrc.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        withCrc.push_back(static_cast<std::uint8_t>(crc >> 8));
        EXPECT_EQ(crc16(withCrc.data(), withCrc.size()), 0) << "length " << length;
        frame.push_back(static_cast<std::uint8_t>(length * 37 + 11));
    }
}

TEST(Answer, HoldsOneWordPerByteAndTestsPositions) {
    const std::vector<std::uint8_t> bytes{0x43, 0x05, 0x01, 0x09, 0x0C, 0x00, 0x80, 0, 0x12, 0x34};
    const Answer answer(bytes);
    ASSERT_EQ(answer.characters().size(), 10u);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(answer.characters()[i], bytes[i]);
    }
    EXPECT_TRUE(answer.isSet(Answer::kOkBit));
    EXPECT_TRUE(answer.isSet(Answer::kLongAnswerBit));
    EXPECT_FALSE(answer.isSet(Answer::kDeviceReset));
    EXPECT_TRUE(answer.isSet(Answer::kLoop1Norm));
    EXPECT_TRUE(answer.isSet(Answer::kLoop2Fire));
    EXPECT_TRUE(answer.isSet(Answer::kLine3Norm));
    EXPECT_TRUE(answer.isSet(Answer::kLine4Norm));
    EXPECT_TRUE(answer.isSet(Answer::kBadSupplyVoltage));

    std::vector<std::uint8_t> below = bytes;
    below[6] = 0x7F;
    EXPECT_FALSE(Answer(below).isSet(Answer::kBadSupplyVoltage));
}

TEST(Answer, ShortAnswerReadsMissingBytesAsZero) {
    const Answer answer(std::vector<std::uint8_t>{0x47});
    EXPECT_EQ(answer.word(0), 0x47);
    EXPECT_EQ(answer.word(6), 0);
    EXPECT_TRUE(answer.isSet(Answer::kDeviceReset));
    EXPECT_FALSE(answer.isSet(Answer::kBadSupplyVoltage));
}
