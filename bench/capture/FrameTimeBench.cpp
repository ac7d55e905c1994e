// How far a frame's time is from the moment its first byte was written: the line at its
// pace through a pseudo-terminal into the reader thread. Prints the median and the 99th
// percentile of the lag, and whether the port took low latency (a pseudo-terminal does
// not: its bytes come at once anyway).
//   bench_frame_time [SECONDS]   (default 10)
#include <velora_listener/VeloraListener.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <test_support/PseudoTerminal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class FrameTimes : public velora_listener::ParserEventListener {
public:
    void onFrame(const velora_protocol::Frame& frame) override {
        std::lock_guard<std::mutex> lock(mutex);
        firstByteNs.push_back(frame.times.first.steadyNs);
        sizes.push_back(frame.size);
    }
    std::mutex mutex;
    std::vector<std::int64_t> firstByteNs;
    std::vector<std::size_t> sizes;
};

std::int64_t steadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const std::int64_t characterNs = velora_protocol::characterTimeNs();
    const auto stream = velora_traffic::TrafficGenerator::random(
                            5, static_cast<std::size_t>(seconds * 1e9 / characterNs / 3))
                            .bytes();
    const std::size_t count =
        std::min(stream.size(), static_cast<std::size_t>(seconds * 1e9 / characterNs));

    pseudo_terminal::PseudoTerminal line;
    FrameTimes frames;
    velora_listener::VeloraListener listener(&frames);
    if (!listener.open(line.slavePath())) {
        std::fprintf(stderr, "cannot open %s: %s\n", line.slavePath().c_str(),
                     listener.lastErrorText().c_str());
        return 1;
    }
    listener.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // One byte at a time at the line's pace, each with the time it was written.
    std::vector<std::int64_t> written(count);
    const std::int64_t start = steadyNow();
    for (std::size_t i = 0; i < count; ++i) {
        std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
            std::chrono::nanoseconds(start + static_cast<std::int64_t>(i) * characterNs)));
        written[i] = steadyNow();
        line.write({stream[i]});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    listener.stop();

    std::vector<std::int64_t> lags;
    std::size_t offset = 0;
    for (std::size_t f = 0; f < frames.sizes.size() && offset < count; ++f) {
        lags.push_back(frames.firstByteNs[f] - written[offset]);
        offset += frames.sizes[f];
    }
    if (lags.empty()) {
        std::fprintf(stderr, "no frames\n");
        return 1;
    }
    std::sort(lags.begin(), lags.end());
    const auto at = [&lags](double q) {
        return static_cast<double>(lags[static_cast<std::size_t>(q * (lags.size() - 1))]) / 1e3;
    };
    std::printf("Frame time vs first byte written, %zu frames over %.1f s at the line's pace "
                "(pseudo-terminal, low latency %s):\n  median %.1f us, 99th percentile %.1f us, "
                "max %.1f us\n",
                lags.size(), seconds, listener.lowLatency() ? "on" : "refused", at(0.5), at(0.99),
                at(1.0));
    return 0;
}
