#include <velora_protocol/Timestamp.h>

#include <chrono>

namespace velora_protocol {

Timestamp Timestamp::now() {
    using std::chrono::duration_cast;
    using std::chrono::nanoseconds;
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    return {duration_cast<nanoseconds>(wall).count(), duration_cast<nanoseconds>(steady).count()};
}

} // namespace velora_protocol
