#include <velora_session/TimeText.h>

#include <velora_session/LocalTime.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace velora_session {

namespace {

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

// The local time's offset from UTC at `ms`. Asking the time-zone rules costs a system call
// (the zone file is checked every time), and a log shows hundreds of times a second, so
// the answer is kept for the quarter of an hour it falls in: every change of a zone's
// offset happens on a quarter hour of UTC.
std::int64_t offsetMs(std::int64_t ms) {
    constexpr std::int64_t kQuarterHourMs = 15 * 60 * 1000;
    thread_local std::int64_t quarter = INT64_MIN;
    thread_local std::int64_t offset = 0;
    const std::int64_t now = floorDiv(ms, kQuarterHourMs);
    if (now != quarter) {
        long seconds = 0;
        velora_session::localTime(std::time_t(floorDiv(ms, 1000)), seconds);
        offset = std::int64_t(seconds) * 1000;
        quarter = now;
    }
    return offset;
}

} // namespace

std::string clockText(std::int64_t wallNs) {
    const std::int64_t ms = floorDiv(wallNs, 1'000'000);
    const std::int64_t local = ms + offsetMs(ms);
    const std::int64_t day = local - floorDiv(local, 86'400'000) * 86'400'000;
    const int fields[] = {int(day / 3'600'000), int(day / 60'000 % 60), int(day / 1000 % 60)};
    std::string text(12, ':');
    for (int i = 0; i < 3; ++i) {
        text[std::size_t(i * 3)] = char('0' + fields[i] / 10);
        text[std::size_t(i * 3 + 1)] = char('0' + fields[i] % 10);
    }
    const int millisecond = int(day % 1000);
    text[8] = '.';
    text[9] = char('0' + millisecond / 100);
    text[10] = char('0' + millisecond / 10 % 10);
    text[11] = char('0' + millisecond % 10);
    return text;
}

std::string dateTimeText(std::int64_t wallNs) {
    const std::int64_t ms = floorDiv(wallNs, 1'000'000);
    long offset = 0;
    const std::tm local = velora_session::localTime(std::time_t(floorDiv(ms, 1000)), offset);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", int(ms - floorDiv(ms, 1000) * 1000));
    return text;
}

std::string isoText(std::int64_t wallNs) {
    const std::time_t whole = static_cast<std::time_t>(wallNs / 1'000'000'000);
    const auto fraction = static_cast<long>(wallNs % 1'000'000'000);
    long utcOffset = 0;
    const std::tm local = velora_session::localTime(whole, utcOffset);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = utcOffset / 60;
    std::snprintf(text + n, sizeof text - n, ".%06ld%c%02ld:%02ld", fraction / 1000,
                  offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

} // namespace velora_session
