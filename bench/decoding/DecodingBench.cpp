// Frames per second along the desktop program's path: the parser, the inbox from the reader
// thread, the session store and the log's text of every record (decoded once per kind of
// frame, as the log does; with raw mode its bytes too), over generated line traffic.
// "x_line_rate" is the byte rate as a multiple of the line's maximum: 19200 baud, 11 bits a
// character, 1745 bytes per second. Times are the process's CPU time: the session's file is
// written on a thread of its own.

#include <velora_decoding/FrameText.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_session/FrameInbox.h>
#include <velora_session/SessionStore.h>
#include <velora_traffic/TrafficGenerator.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

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

// The texts of the records appended since `from`, as the log shows them.
std::size_t showTexts(SessionStore& store, std::uint64_t from, std::vector<std::string>& kindTexts,
                      bool rawData) {
    std::size_t length = 0;
    for (std::uint64_t i = from; i < store.size(); ++i) {
        const FrameKinds::Kind kind = store.kind(i);
        const FrameRecord& record = store.record(i);
        if (!FrameKinds::hasFrame(kind)) {
            length += velora_decoding::frameText(record.frame()).size();
        } else {
            const std::size_t slot = kind - FrameKinds::kPairKinds;
            if (slot >= kindTexts.size()) {
                kindTexts.resize(slot + 1);
            }
            if (kindTexts[slot].empty()) {
                kindTexts[slot] = velora_decoding::frameText(store.kinds().frame(kind).frame());
            }
            length += kindTexts[slot].size();
        }
        if (rawData) {
            length += velora_decoding::hexBytes(record.begin(), record.end()).size();
        }
    }
    return length;
}

void decodeTraffic(benchmark::State& state, const velora_traffic::TrafficGenerator& traffic,
                   bool rawData) {
    const std::vector<std::uint8_t>& bytes = traffic.bytes();
    SessionStore store((std::filesystem::temp_directory_path() / "velora-bench").string());
    FrameInbox inbox;
    std::vector<velora_protocol::Frame> batch;
    std::vector<std::string> kindTexts;
    std::size_t messages = 0;
    for (auto _ : state) {
        const std::uint64_t before = store.size();
        velora_listener::ProtocolParser parser(&inbox);
        for (std::uint8_t b : bytes) {
            parser.feed(b);
        }
        inbox.take(batch);
        for (const velora_protocol::Frame& frame : batch) {
            store.append(frame);
        }
        benchmark::DoNotOptimize(showTexts(store, before, kindTexts, rawData));
        messages += store.size() - before;
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

BENCHMARK(BM_MixedTrafficRaw)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedTrafficNoRaw)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnswersAndCommandsRaw)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
