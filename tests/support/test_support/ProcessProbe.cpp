#include <test_support/ProcessProbe.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace line_faults {

namespace {

std::size_t statusField(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = field + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            return std::stoul(line.substr(prefix.size()));
        }
    }
    return 0;
}

} // namespace

std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd");
         it != std::filesystem::directory_iterator(); ++it) {
        ++count;
    }
    return count; // includes the one the iterator holds, the same at every call
}

std::size_t threadCount() {
    // A process's first new thread may bring a runtime's own along (ThreadSanitizer starts
    // its background thread then): start one before the first count.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    return statusField("Threads");
}

std::size_t statusKilobytes(const char* field) {
    return statusField(field);
}

double processCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

} // namespace line_faults
