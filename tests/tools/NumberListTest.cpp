#include <velora_cli/NumberList.h>

#include <gtest/gtest.h>

using velora_cli::formatNumberList;
using velora_cli::parseNumberList;

TEST(NumberList, ParsesSinglesAndRanges) {
    EXPECT_EQ(parseNumberList("1,3-5", 1, 7), (std::set<int>{1, 3, 4, 5}));
    EXPECT_EQ(parseNumberList("7", 1, 7), (std::set<int>{7}));
    EXPECT_EQ(parseNumberList("4-4,2,2", 1, 7), (std::set<int>{2, 4}));
}

TEST(NumberList, RejectsMalformedListsAndNumbersOutOfRange) {
    for (const char* bad : {"", ",", "1,", ",1", "1,,2", "5-3", "0", "8", "1-8", "a", "-2", "2-",
                            "1 ,2", "+1", "99999999999999999999"}) {
        EXPECT_FALSE(parseNumberList(bad, 1, 7)) << '"' << bad << '"';
    }
}

TEST(NumberList, FormatsRunsAsRanges) {
    EXPECT_EQ(formatNumberList({4, 6, 7, 11, 12, 13, 15}), "4, 6-7, 11-13, 15");
    EXPECT_EQ(formatNumberList({}), "");
}
