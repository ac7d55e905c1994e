// Captures at speed: writing records, as a multiple of the records a saturated line
// makes (goal 10,000x); replaying a capture through the parser and the decoding (goal
// 1 M frames/s); and the peak memory of replaying a large capture (VELORA_BENCH_CAPTURE_MB,
// default 1024), which must not grow with the file.
#include <velora_capture/CaptureReader.h>
#include <velora_capture/CaptureWriter.h>
#include <velora_decoding/LogMessage.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

// The frames of a generated mixed stream, with times at the line's pace.
class FrameCollector : public velora_listener::ParserEventListener {
public:
    void onFrame(const velora_protocol::Frame& frame) override { frames.push_back(frame); }
    std::vector<velora_protocol::Frame> frames;
};

const std::vector<velora_protocol::Frame>& lineFrames() {
    static const std::vector<velora_protocol::Frame> frames = [] {
        const auto stream = velora_traffic::TrafficGenerator::random(11, 20000).bytes();
        FrameCollector collector;
        velora_listener::ProtocolParser parser(&collector);
        std::int64_t time = 1'800'000'000'000'000'000;
        for (const auto b : stream) {
            parser.feed(b, velora_protocol::Timestamp::recorded(time));
            time += velora_protocol::characterTimeNs();
        }
        parser.flush();
        return collector.frames;
    }();
    return frames;
}

// Frames a saturated line makes per second.
double lineFramesPerSecond() {
    std::size_t bytes = 0;
    for (const auto& frame : lineFrames()) {
        bytes += frame.size;
    }
    const double bytesPerSecond = 1e9 / static_cast<double>(velora_protocol::characterTimeNs());
    return bytesPerSecond * static_cast<double>(lineFrames().size()) / static_cast<double>(bytes);
}

std::string tempPath(const char* name) {
    return (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) +
           "/velora-bench-" + std::to_string(::getpid()) + "-" + name;
}

void BM_WriteCapture(benchmark::State& state) {
    const auto& frames = lineFrames();
    const std::string path = tempPath("write.pcap");
    velora_capture::CaptureWriter writer;
    writer.open(path);
    for (auto _ : state) {
        for (const auto& frame : frames) {
            writer.write(frame);
        }
        writer.flush();
    }
    writer.close();
    std::remove(path.c_str());
    const double records = static_cast<double>(frames.size() * state.iterations());
    state.counters["records_per_s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
    state.counters["line_rate_multiple"] =
        benchmark::Counter(records / lineFramesPerSecond(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteCapture)->Unit(benchmark::kMillisecond);

struct Decoded : velora_listener::ParserEventListener {
    void onFrame(const velora_protocol::Frame& frame) override {
        textBytes += velora_decoding::decode(frame).text.size();
        ++frames;
    }
    std::size_t textBytes = 0;
    std::size_t frames = 0;
};

// Reads the capture at `path` through the parser and the decoding; returns the frames.
std::size_t replay(const std::string& path) {
    velora_capture::CaptureReader reader;
    if (!reader.open(path)) {
        std::cerr << reader.errorText() << '\n';
        std::exit(1);
    }
    Decoded decoded;
    velora_listener::ProtocolParser parser(&decoded);
    velora_capture::Piece piece;
    while (reader.next(piece)) {
        velora_capture::feedParser(parser, piece);
    }
    parser.flush();
    benchmark::DoNotOptimize(decoded.textBytes);
    return decoded.frames;
}

void BM_ReplayCapture(benchmark::State& state) {
    const std::string path = tempPath("replay.pcap");
    {
        velora_capture::CaptureWriter writer;
        writer.open(path);
        for (const auto& frame : lineFrames()) {
            writer.write(frame);
        }
        writer.close();
    }
    std::size_t frames = 0;
    for (auto _ : state) {
        frames += replay(path);
    }
    std::remove(path.c_str());
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayCapture)->Unit(benchmark::kMillisecond);

long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Writes a capture of `megabytes` MB and replays it, printing the peak memory before and
// after the replay.
void largeCapture(std::uint64_t megabytes) {
    const std::string path = tempPath("large.pcap");
    velora_capture::CaptureWriter writer;
    writer.open(path);
    while (writer.size() < megabytes * 1'000'000) {
        for (const auto& frame : lineFrames()) {
            writer.write(frame);
        }
    }
    writer.close();
    const long before = peakResidentKiB();
    const std::size_t frames = replay(path);
    std::remove(path.c_str());
    std::cout << "Large capture: " << megabytes << " MB, " << frames
              << " frames replayed; peak resident memory " << before / 1024 << " MiB before, "
              << peakResidentKiB() / 1024 << " MiB after\n";
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const char* size = std::getenv("VELORA_BENCH_CAPTURE_MB");
    largeCapture(size ? std::strtoull(size, nullptr, 10) : 1024);
    return 0;
}
