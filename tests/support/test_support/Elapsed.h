#pragma once

#include <chrono>

namespace test_support {

using Clock = std::chrono::steady_clock;

// Milliseconds since start.
inline long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

} // namespace test_support
