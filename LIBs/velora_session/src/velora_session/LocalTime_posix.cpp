#include <velora_session/LocalTime.h>

namespace velora_session {

std::tm localTime(std::time_t time, long& utcOffset) {
    std::tm local{};
    localtime_r(&time, &local);
    utcOffset = local.tm_gmtoff;
    return local;
}

} // namespace velora_session
