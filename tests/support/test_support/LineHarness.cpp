#include <test_support/LineHarness.h>

#include <velora_traffic/TrafficGenerator.h>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace line_faults {

using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::size_t synchronise(PseudoTerminal& line, const velora_traffic::RecordingListener& recorder) {
    const auto answered = [&recorder] {
        const auto events = recorder.snapshot();
        return std::any_of(events.begin(), events.end(),
                           [](const velora_traffic::Event& e) { return e.type == mtShortAnswer; });
    };
    const std::vector<std::uint8_t> pair{0x05, 0x40};
    for (int attempt = 0; attempt < 200 && !answered(); ++attempt) {
        line.write(pair);
        waitFor(answered, 50ms);
    }
    // Pairs still on their way when the first answer was seen arrive whole.
    std::this_thread::sleep_for(100ms);
    return recorder.snapshot().size();
}

std::size_t byteCount(const std::vector<velora_traffic::Event>& events) {
    std::size_t total = 0;
    for (const auto& event : events) {
        total += event.bytes.size();
    }
    return total;
}

double writePaced(PseudoTerminal& line, const std::vector<std::uint8_t>& bytes,
                  double bytesPerSecond) {
    const auto start = Clock::now();
    std::size_t written = 0;
    for (int slice = 1; written < bytes.size(); ++slice) {
        const auto due =
            std::min(bytes.size(), static_cast<std::size_t>(bytesPerSecond * slice / 100.0));
        if (due > written) {
            line.write({bytes.begin() + static_cast<long>(written),
                        bytes.begin() + static_cast<long>(due)});
            written = due;
        }
        std::this_thread::sleep_until(start + slice * 10ms);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

BackgroundTraffic::BackgroundTraffic(PseudoTerminal& line)
    : master(line.masterFd())
    , flags(::fcntl(master, F_GETFL))
    , writer([this] {
        ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
        const auto traffic = velora_traffic::TrafficGenerator::random(7, 400).bytes();
        std::size_t at = 0;
        while (running) {
            const std::size_t n = std::min<std::size_t>(16, traffic.size() - at);
            (void)!::write(master, traffic.data() + at, n);
            at = (at + n) % traffic.size();
            std::this_thread::sleep_for(1ms);
        }
    }) {}

BackgroundTraffic::~BackgroundTraffic() {
    running = false;
    writer.join();
    ::fcntl(master, F_SETFL, flags);
}

} // namespace line_faults
