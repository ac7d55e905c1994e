#include <velora_session/LocalTime.h>

namespace velora_session {

std::tm localTime(std::time_t time, long& utcOffset) {
    std::tm local{};
    localtime_s(&local, &time);
    // The local fields read as if they were UTC, less the time itself: the offset.
    std::tm copy = local;
    utcOffset = static_cast<long>(_mkgmtime(&copy) - time);
    return local;
}

} // namespace velora_session
