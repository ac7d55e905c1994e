#include "LineOutput.h"

#include <thread>

namespace velora_sim {

StreamOutput::StreamOutput(std::FILE* stream)
    : stream(stream) {}

bool StreamOutput::send(const std::vector<std::uint8_t>& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

bool StreamOutput::finish() {
    return std::fflush(stream) == 0;
}

void LinePace::start() {
    begin = std::chrono::steady_clock::now();
    bytes = 0;
    silence = 0;
}

void LinePace::wait(std::size_t count) {
    bytes += count;
    const std::chrono::duration<double> due(static_cast<double>(bytes) / kBytesPerSecond + silence);
    std::this_thread::sleep_until(begin +
                                  std::chrono::duration_cast<std::chrono::nanoseconds>(due));
}

} // namespace velora_sim
