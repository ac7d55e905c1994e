#include <velora_events/EventFilter.h>

#include <gtest/gtest.h>

TEST(EventFilter, StartsWithEverythingShown) {
    const EventFilter filter;
    EXPECT_EQ(filter.typeMask(), 0x7f);
    for (int type = 1; type <= 7; ++type) {
        EXPECT_TRUE(filter.passes(type, 1));
        EXPECT_TRUE(filter.passes(type, 126));
    }
    for (int address : {0, 127, 255, -1}) {
        for (int type = 1; type <= 6; ++type) {
            EXPECT_FALSE(filter.passes(type, address)) << type << '@' << address;
        }
        EXPECT_TRUE(filter.passes(7, address));
    }
    EXPECT_FALSE(filter.passes(0, 5));
    EXPECT_FALSE(filter.passes(8, 5));
}

TEST(EventFilter, TypeGroupsSetAndClearTheirBits) {
    EventFilter filter;
    filter.setTypes(12, false);
    EXPECT_EQ(filter.typeMask(), 0x73);
    EXPECT_FALSE(filter.passes(3, 5));
    EXPECT_FALSE(filter.passes(4, 5));
    EXPECT_TRUE(filter.passes(5, 5));
    filter.setTypes(12, true);
    EXPECT_EQ(filter.typeMask(), 0x7f);

    filter.setTypes(0x04, false);
    EXPECT_FALSE(filter.passes(3, 5));
    EXPECT_TRUE(filter.passes(4, 5));

    filter.setTypes(0x40, false);
    EXPECT_FALSE(filter.passes(7, 0));
    // Bits above 0x40 are never set.
    filter.setTypes(~0, true);
    EXPECT_EQ(filter.typeMask(), 0x7f);
    filter.setTypes(0x180, false);
    EXPECT_EQ(filter.typeMask(), 0x7f);
}

TEST(EventFilter, Addresses) {
    EventFilter filter;
    filter.setAllAddresses(false);
    filter.setAddress(5, true);
    for (int address = 0; address <= 127; ++address) {
        EXPECT_EQ(filter.passes(1, address), address == 5) << address;
    }
    EXPECT_TRUE(filter.passes(7, 0));

    // Out of range: nothing changes.
    filter.setAddress(0, true);
    filter.setAddress(127, true);
    filter.setAddress(-1, true);
    filter.setAddress(255, true);
    EXPECT_FALSE(filter.addressEnabled(0));
    EXPECT_FALSE(filter.addressEnabled(127));
    EXPECT_FALSE(filter.passes(1, 127));

    filter.setAllAddresses(true);
    EXPECT_TRUE(filter.addressEnabled(0));
    EXPECT_TRUE(filter.passes(2, 126));
    filter.setAddress(126, false);
    EXPECT_FALSE(filter.passes(2, 126));
    EXPECT_TRUE(filter.passes(2, 125));
}
