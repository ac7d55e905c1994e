#pragma once

#include <ctime>

// The system's time-zone rules; one file per platform.
namespace velora_session {

// The local time of `time` and its offset from UTC in seconds.
std::tm localTime(std::time_t time, long& utcOffset);

} // namespace velora_session
