// Frames decoded per second through the parser and the event listener, all filters open
// and raw mode on, over generated line traffic. "x_line_rate" is the byte rate as a multiple of
// the line's maximum: 19200 baud, 11 bits a character, 1745 bytes per second.

#include <velora_events/EventListener.h>

#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr double kLineBytesPerSecond = velora_protocol::kCharactersPerSecond;

// Only acknowledged long answers and commands: every frame is decoded into text.
velora_traffic::TrafficGenerator framesOnly() {
    std::mt19937 rng(2024);
    velora_traffic::TrafficGenerator traffic;
    const auto& headers = velora_traffic::TrafficGenerator::longAnswerHeaders();
    auto randomBytes = [&rng](std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(rng());
        }
        return bytes;
    };
    for (int i = 0; i < 5000; ++i) {
        const int address = 1 + i % 126;
        traffic.longAnswer(address, headers[rng() % headers.size()], randomBytes(6), true);
        traffic.command(address, randomBytes(5), true);
    }
    return traffic;
}

void decodeTraffic(benchmark::State& state, const velora_traffic::TrafficGenerator& traffic,
                   bool rawData) {
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

// Mixed traffic: polls, short and long answers, commands, acknowledgements and noise.
void BM_MixedTrafficRaw(benchmark::State& state) {
    decodeTraffic(state, velora_traffic::TrafficGenerator::random(2024, 20000), true);
}
void BM_MixedTrafficNoRaw(benchmark::State& state) {
    decodeTraffic(state, velora_traffic::TrafficGenerator::random(2024, 20000), false);
}
void BM_AnswersAndCommandsRaw(benchmark::State& state) {
    decodeTraffic(state, framesOnly(), true);
}

} // namespace

BENCHMARK(BM_MixedTrafficRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedTrafficNoRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnswersAndCommandsRaw)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
