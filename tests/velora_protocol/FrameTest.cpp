#include <velora_protocol/AnswerFields.h>
#include <velora_protocol/CommandFields.h>
#include <velora_protocol/Crc16.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

using velora_protocol::crc16;
using velora_protocol::crc16Table;

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

TEST(AnswerFields, PositionsReadTheirBitAndMissingBytesAsZero) {
    using namespace velora_protocol;
    const std::uint8_t bytes[] = {0x43, 0x05, 0x01, 0x09, 0x0C, 0x00, 0x80, 0, 0x12, 0x34};
    for (const BitPosition position :
         {kOkBit, kLongAnswerBit, BitPosition{2, kLoopNormBit}, BitPosition{3, kLoopFireBit},
          lineBit(kLine3, kLineNormBit), lineBit(kLine4, kLineNormBit), kBadSupplyBit}) {
        EXPECT_TRUE(position.isSet(bytes, sizeof bytes)) << position.index << "." << position.bit;
    }
    EXPECT_FALSE(kDeviceResetBit.isSet(bytes, sizeof bytes));
    EXPECT_FALSE(kBadSupplyBit.isSet(bytes, 6));
    EXPECT_TRUE(kDeviceResetBit.isSet(std::vector<std::uint8_t>{0x47}.data(), 1));
}

// Every position is named once, and the states of each point have the ranks 0..n-1.
TEST(AnswerFields, TableNamesEachBitOnceAndRanksEachPointsStates) {
    using namespace velora_protocol;
    std::vector<int> positions;
    std::vector<int> ranks[kPointCount];
    for (const AnswerField& field : kAnswerFields) {
        positions.push_back(field.position.index * 8 + field.position.bit);
        if (field.point != kNoPoint) {
            ranks[field.point].push_back(field.rank);
        }
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end(),
                               [](int a, int b) { return a / 8 < b / 8; }));
    std::sort(positions.begin(), positions.end());
    EXPECT_EQ(std::adjacent_find(positions.begin(), positions.end()), positions.end());
    for (int point = 0; point < kPointCount; ++point) {
        std::sort(ranks[point].begin(), ranks[point].end());
        ASSERT_EQ(ranks[point].size(), point < kLine3 ? 8u : 3u) << point;
        for (std::size_t r = 0; r < ranks[point].size(); ++r) {
            EXPECT_EQ(ranks[point][r], static_cast<int>(r)) << point;
        }
    }
}

// The plugin registers each id as a field of its own; each command field reads a part and
// number of its own.
TEST(FieldTables, IdsAndCommandPartsAreUnique) {
    using namespace velora_protocol;
    std::set<std::string> answerIds;
    for (const AnswerField& field : kAnswerFields) {
        EXPECT_TRUE(answerIds.insert(field.id).second) << field.id;
    }
    std::set<std::string> commandIds;
    std::set<std::pair<CommandPart, int>> parts;
    for (const CommandField& field : kCommandFields) {
        EXPECT_TRUE(commandIds.insert(field.id).second) << field.id;
        EXPECT_TRUE(parts.insert({field.part, field.number}).second) << field.id;
    }
}
