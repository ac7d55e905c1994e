#pragma once

#include <cstdint>
#include <string>

// The times of the log and of the reports, in local time.
namespace velora_session {

// "hh:mm:ss.zzz" of the wall time in nanoseconds.
std::string clockText(std::int64_t wallNs);
// "dd.MM.yyyy hh:mm:ss.zzz" of the wall time in nanoseconds.
std::string dateTimeText(std::int64_t wallNs);
// ISO 8601 with microseconds and the offset from UTC: "2026-12-08T19:30:00.123456+03:00".
std::string isoText(std::int64_t wallNs);

} // namespace velora_session
