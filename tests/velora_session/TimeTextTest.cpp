#include <velora_session/TimeText.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// The zone's own answer: "hh:mm:ss.zzz" of local time at `ms`.
std::string zoneClock(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    const auto whole = std::time_t(seconds);
    std::tm local{};
    localtime_r(&whole, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", int(ms - seconds * 1000));
    return text;
}

} // namespace

// The clock text keeps the zone's offset for a quarter hour; it must still agree with the
// zone's rules across changes of offset, also in zones whose offset is not whole hours.
TEST(TimeText, TimeOfDayAgreesWithTheZoneAcrossChangesOfOffset) {
    struct Zone {
        const char* name;
        std::int64_t change; // a change of offset, in seconds since the epoch
    };
    const Zone zones[] = {
        {"Europe/Berlin", 1774746000},       // 2026-03-29T01:00:00Z
        {"Europe/Berlin", 1792890000},       // 2026-10-25T01:00:00Z
        {"America/St_Johns", 1772947800},    // 2026-03-08T05:30:00Z
        {"Australia/Lord_Howe", 1775314800}, // 2026-04-04T15:00:00Z
        {"Asia/Kathmandu", 1780272000},      // 2026-06-01T00:00:00Z
        {"UTC", -3600},                      // 1969-12-31T23:00:00Z
    };
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    for (const Zone& zone : zones) {
        setenv("TZ", zone.name, 1);
        tzset();
        const std::int64_t change = zone.change * 1000;
        for (std::int64_t ms = change - 3'600'000 + 123; ms < change + 3'600'000; ms += 59'000) {
            ASSERT_EQ(velora_session::clockText(ms * 1'000'000 + 999'999), zoneClock(ms))
                << zone.name << " at " << ms;
        }
    }
    if (saved) {
        setenv("TZ", savedZone.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
