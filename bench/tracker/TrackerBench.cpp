// The device tracker's cost per message, its diagnoses of the line and its point changes
// included, over generated line traffic, parsed ahead so that only the tracker is timed.
// "per_message" is the figure to keep under 0.1 us.

#include <velora_decoding/DeviceTracker.h>

#include <velora_listener/ProtocolParser.h>
#include <velora_traffic/TrafficGenerator.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Collect : velora_listener::ParserEventListener {
    std::vector<velora_protocol::Frame> frames;
    void onFrame(const velora_protocol::Frame& frame) override { frames.push_back(frame); }
};

std::vector<velora_protocol::Frame> framesOf(const velora_traffic::TrafficGenerator& traffic) {
    Collect collect;
    velora_listener::ProtocolParser parser(&collect);
    std::int64_t ns = 0;
    for (std::uint8_t b : traffic.bytes()) {
        parser.feed(b);
    }
    // One frame every 2 ms, so that answer times and rates have something to work on.
    for (auto& frame : collect.frames) {
        frame.times = {velora_protocol::Timestamp::recorded(ns),
                       velora_protocol::Timestamp::recorded(ns + 500'000)};
        ns += 2'000'000;
    }
    return collect.frames;
}

void BM_TrackMixedTraffic(benchmark::State& state) {
    const auto frames = framesOf(velora_traffic::TrafficGenerator::random(2024, 20000));
    velora_decoding::DeviceTracker tracker;
    std::size_t changes = 0;
    tracker.setChangeHandler([&changes](const velora_decoding::DeviceChange&) { ++changes; });
    std::size_t points = 0;
    tracker.setPointHandler([&points](const velora_decoding::PointChange&) { ++points; });
    for (auto _ : state) {
        for (const auto& frame : frames) {
            tracker.feed(frame);
        }
        benchmark::DoNotOptimize(tracker.line().frames);
    }
    const auto messages = static_cast<double>(state.iterations() * frames.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(messages));
    state.counters["per_message"] =
        benchmark::Counter(messages, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // Random traffic changes states far more often than a real line.
    state.counters["changes_per_pass"] =
        static_cast<double>(changes) / static_cast<double>(state.iterations());
    state.counters["points_per_pass"] =
        static_cast<double>(points) / static_cast<double>(state.iterations());
}

} // namespace

BENCHMARK(BM_TrackMixedTraffic)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
