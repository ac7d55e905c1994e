#include <FrameFeed.h>

#include <gtest/gtest.h>

TEST(FrameFeed, ACrowdedLogIsRefreshedOnceASecondUntilTheLineCalmsDown) {
    struct Step {
        std::uint64_t rowsAdded;
        int rowsOnScreen;
        int intervalMs; // after it
    };
    // In order: each step is paced from the interval the step before left.
    const Step steps[] = {
        {10, 30, FrameFeed::kIntervalMs},
        {30, 30, FrameFeed::kIntervalMs},        // a screenful a quarter second: readable
        {31, 30, FrameFeed::kCrowdedIntervalMs}, // more
        {120, 30, FrameFeed::kIntervalMs},       // a second's worth of a screenful a quarter
        {121, 30, FrameFeed::kCrowdedIntervalMs},
        {5000, 30, FrameFeed::kCrowdedIntervalMs},
        {0, 30, FrameFeed::kIntervalMs},       // the line went quiet
        {0, 0, FrameFeed::kIntervalMs},        // a log with no room, no rows
        {2, 0, FrameFeed::kCrowdedIntervalMs}, // and with rows coming
    };
    FrameFeed feed;
    EXPECT_EQ(feed.intervalMs(), FrameFeed::kIntervalMs);
    for (const Step& step : steps) {
        feed.paceFor(step.rowsAdded, step.rowsOnScreen);
        EXPECT_EQ(feed.intervalMs(), step.intervalMs)
            << step.rowsAdded << " rows, " << step.rowsOnScreen << " on screen";
    }
}
