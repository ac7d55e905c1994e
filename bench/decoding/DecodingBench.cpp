// Frames decoded per second through the parser and the event listener, all filters open
// and raw mode on, over generated line traffic. "x_line_rate" is the byte rate as a multiple of
// the line's maximum: 19200 baud, 11 bits a character, 1745 bytes per second.

#include <EventListener.h>

#include <velora_listener/ProtocolParser.h>
#include <velora_traffic/TrafficGenerator.h>

#include <benchmark/benchmark.h>

namespace {

constexpr double kLineBytesPerSecond = 1745.0;

void decodeTraffic(benchmark::State& state, bool rawData) {
    const auto traffic = velora_traffic::TrafficGenerator::random(2024, 20000);
    const std::vector<std::uint8_t>& bytes = traffic.bytes();
    EventListener listener;
    if (rawData) {
        listener.enableSendRawData();
    }
    std::size_t messages = 0;
    QObject::connect(&listener, &EventListener::newLogMessage,
                     [&messages](int, int, const QString& text, const QString& raw) {
                         messages += 1;
                         benchmark::DoNotOptimize(text.size() + raw.size());
                     });
    for (auto _ : state) {
        velora_listener::ProtocolParser parser(&listener);
        for (std::uint8_t b : bytes) {
            parser.feed(b);
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
    state.counters["x_line_rate"] =
        benchmark::Counter(iterations * static_cast<double>(bytes.size()) / kLineBytesPerSecond,
                           benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(iterations * bytes.size()));
}

void BM_DecodeRaw(benchmark::State& state) {
    decodeTraffic(state, true);
}
void BM_DecodeText(benchmark::State& state) {
    decodeTraffic(state, false);
}

} // namespace

BENCHMARK(BM_DecodeRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeText)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
