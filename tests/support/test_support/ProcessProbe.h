#pragma once

#include <cstddef>

namespace line_faults {

// Under AddressSanitizer freed memory waits in a quarantine and ThreadSanitizer shadows
// every thread's memory, so there the process's size tells nothing about leaks (which
// LeakSanitizer finds instead).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kProcessSizeShowsLeaks = false;
#else
constexpr bool kProcessSizeShowsLeaks = true;
#endif

// What the process holds, read from /proc/self: to show that nothing is left behind.
std::size_t openDescriptorCount();
std::size_t threadCount();
// Kilobytes of a field of /proc/self/status such as "VmRSS" or "VmSize".
std::size_t statusKilobytes(const char* field);
// CPU time used by all threads of the process so far.
double processCpuSeconds();

} // namespace line_faults
