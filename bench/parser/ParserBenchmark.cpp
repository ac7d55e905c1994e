// Parser throughput over a realistic mixed stream, as bytes per second and as a multiple
// of the line's maximum rate: 19200 baud, 11 bit times per character, 1745 bytes/s.
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <benchmark/benchmark.h>

namespace {

constexpr double kLineBytesPerSecond = velora_protocol::kCharactersPerSecond;

// Counts the frames, as the program takes them (whole), so that the work is not optimised
// away.
class CountingListener : public velora_listener::ParserEventListener {
public:
    void onFrame(const velora_protocol::Frame&) override { ++count; }

    std::size_t count = 0;
};

void BM_ParserMixedStream(benchmark::State& state) {
    const std::vector<std::uint8_t> stream =
        velora_traffic::TrafficGenerator::random(7, 20000).bytes();
    CountingListener listener;
    for (auto _ : state) {
        velora_listener::ProtocolParser parser(&listener);
        for (const auto b : stream) {
            parser.feed(b);
        }
        benchmark::DoNotOptimize(listener.count);
    }
    const double bytes =
        static_cast<double>(stream.size()) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["line_rate_multiple"] =
        benchmark::Counter(bytes / kLineBytesPerSecond, benchmark::Counter::kIsRate);
    state.counters["events_per_stream"] =
        static_cast<double>(listener.count) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ParserMixedStream)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
