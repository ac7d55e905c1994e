#include <LineHealth.h>

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kStartNs = 1'700'000'000'000 * kMs;

// One-byte polls, `perSecond` of them evenly spread, from `fromMs` to `toMs` after the start.
std::vector<velora_protocol::Frame> polls(int perSecond, std::int64_t fromMs, std::int64_t toMs) {
    std::vector<velora_protocol::Frame> frames;
    for (std::int64_t ns = fromMs * kMs; ns < toMs * kMs; ns += 1000 * kMs / perSecond) {
        const auto at = velora_protocol::Timestamp::recorded(kStartNs + ns);
        frames.push_back(velora_protocol::Frame::of(mtQuery, 1, {0x81}, {at, at}));
    }
    return frames;
}

} // namespace

// The figures are the line's seconds, however the batches fall between the ticks: a crowded
// log's batches come a second apart, and the status bar's ticks drift against them.
TEST(LineHealth, ShowsTheLinesLastWholeSecondWhateverThePaceOfTheBatches) {
    struct Step {
        std::int64_t batchToMs; // a batch with the frames up to here; 0: none
        std::int64_t tickMs;    // 0: none
        const char* shown;      // the beginning of the text; "": none
    };
    const char* second = "1000 байт/с, 1000 кадров/с";
    const Step steps[] = {
        {400, 500, ""},   // the first second, counted from its middle
        {1400, 1500, ""}, // and not shown when it is over
        {2400, 2950, second},
        {0, 3050, second}, // no batch since the last tick
        {3400, 0, nullptr},
        {4400, 4500, second},        // two
        {0, 6500, "нет данных 2 с"}, // the line stopped at 4.4 s
    };
    LineHealth health;
    health.setActive(true);
    std::int64_t fromMs = 0;
    for (const Step& step : steps) {
        if (step.batchToMs > 0) {
            health.add(polls(1000, fromMs, step.batchToMs));
            fromMs = step.batchToMs;
        }
        if (step.tickMs > 0) {
            health.tick(kStartNs + step.tickMs * kMs);
            const QString shown = QString::fromUtf8(step.shown);
            EXPECT_TRUE(shown.isEmpty() ? health.text().isEmpty() : health.text().startsWith(shown))
                << "at " << step.tickMs << " ms: " << health.text().toStdString();
        }
    }
}
