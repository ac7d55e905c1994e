#include <test_support/Elapsed.h>
#include <test_support/LineChecks.h>
#include <test_support/RecordingListener.h>
#include <velora_listener/LineReader.h>
#include <velora_listener/ListenerThread.h>
#include <velora_listener/ProtocolParser.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <velora_protocol/LineSpeed.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using velora_listener::LineReader;
using velora_listener::ListenerThread;
using velora_listener::ReadEnd;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using Bytes = std::vector<std::uint8_t>;
using test_support::msSince;
using namespace std::chrono_literals;

namespace {

// A converter that delivers a byte stream and then fails its read, as an unplugged one does: the
// one way to reach the reader's lost-converter path on a system whose serial driver never fails a
// read of a vanished terminal. The reads listed in `silent` (counted from 0) time out instead;
// the others hand over at most `perRead` bytes.
class VanishingConverter {
public:
    explicit VanishingConverter(Bytes bytes, std::vector<int> silent = {}, std::size_t perRead = 1)
        : bytes(std::move(bytes))
        , silent(std::move(silent))
        , perRead(perRead) {}

    ListenerThread::ReadCall readCall() {
        return [this](void* buffer, std::uint32_t length) { return read(buffer, length); };
    }

    std::atomic<int> reads{0};
    std::atomic<int> failedReads{0};

private:
    std::uint32_t read(void* buffer, std::uint32_t length) {
        if (std::find(silent.begin(), silent.end(), reads++) != silent.end()) {
            return 0;
        }
        if (at == bytes.size()) {
            ++failedReads;
            throw rs485::DisconnectException();
        }
        const auto n =
            static_cast<std::uint32_t>(std::min<std::size_t>({length, perRead, bytes.size() - at}));
        std::memcpy(buffer, bytes.data() + at, n);
        at += n;
        return n;
    }

    Bytes bytes;
    std::vector<int> silent;
    std::size_t perRead;
    std::size_t at = 0;
};

bool lossReported(const RecordingListener& listener) {
    return velora_traffic::waitFor([&listener] { return listener.connectionLost >= 1; });
}

// Random traffic that leaves the parser idle at its end (noise, then an answer reported as
// soon as its last byte is read), followed by the first half of a long answer to 0x23.
struct CutStream {
    CutStream() {
        traffic = TrafficGenerator::random(9, 300);
        traffic.noise({0x00});
        EXPECT_TRUE(traffic.shortAnswer(0x10, 0x40));
        bytes = traffic.bytes();
        TrafficGenerator cut;
        EXPECT_TRUE(cut.longAnswer(0x23, TrafficGenerator::longAnswerHeaders().front(),
                                   {1, 2, 3, 4, 5, 6}, true));
        bytes.insert(bytes.end(), cut.bytes().begin(), cut.bytes().begin() + 5);
    }
    TrafficGenerator traffic;
    Bytes bytes;
};

TEST(LostConverterTest, ReportedOnceAfterTheFramesReadAndEndsTheReader) {
    const CutStream stream;
    VanishingConverter converter(stream.bytes);
    RecordingListener listener;
    rs485::RS485Connection unopened; // purging a closed port does nothing
    ListenerThread thread(&unopened, &listener, converter.readCall());
    thread.start();

    ASSERT_TRUE(lossReported(listener));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(listener.connectionLost, 1);
    // The loop ended at the failed read: no read after it.
    EXPECT_EQ(converter.failedReads, 1);
    EXPECT_EQ(converter.reads, static_cast<int>(stream.bytes.size()) + 1);
    // Every frame before the loss arrived intact; the half-collected one is no frame.
    EXPECT_EQ(listener.snapshot(), stream.traffic.events());

    // The ended reader counts as running until the user interface disconnects.
    EXPECT_TRUE(thread.isRunning());
    const auto start = test_support::Clock::now();
    thread.stop();
    EXPECT_LT(msSince(start), 1000);
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(listener.connectionLost, 1);
}

TEST(LostConverterTest, ConverterGoneBeforeTheFirstByte) {
    VanishingConverter converter({});
    RecordingListener listener;
    rs485::RS485Connection unopened;
    ListenerThread thread(&unopened, &listener, converter.readCall());
    thread.start();
    ASSERT_TRUE(lossReported(listener));
    thread.stop();
    EXPECT_EQ(listener.connectionLost, 1);
    EXPECT_EQ(converter.reads, 1);
    EXPECT_TRUE(listener.snapshot().empty());
}

// How the loop ends, and when it hands its output on: at the first byte, whenever the line
// falls silent, and not again within 100 ms of busy reading.
TEST(LineReaderTest, EndsAsToldAndFlushesAtSilence) {
    struct Case {
        const char* name;
        std::vector<int> silent;
        int stopAfterReads;  // -1: never
        int flushesThatWork; // later flushes fail
        ReadEnd end;
        int flushes;
        std::size_t tapped;
    };
    const Bytes answer{0x05, 0x40, 0x06, 0x48};
    const std::vector<Case> cases{
        {"lost", {}, -1, 99, ReadEnd::ConverterLost, 1, 4},
        {"stopped", {}, 2, 99, ReadEnd::Stopped, 1, 2},
        {"silences", {1, 3, 4}, 6, 99, ReadEnd::Stopped, 4, 3},
        {"output gone", {1}, -1, 1, ReadEnd::OutputFailed, 2, 1},
    };
    for (const auto& c : cases) {
        VanishingConverter converter(answer, c.silent);
        RecordingListener listener;
        velora_listener::ProtocolParser parser(&listener);
        rs485::RS485Connection unopened;
        LineReader reader(unopened, parser, converter.readCall());
        std::size_t tapped = 0;
        int flushes = 0;
        reader.setByteTap([&](std::uint8_t) { ++tapped; });
        reader.setFlush([&] { return ++flushes <= c.flushesThatWork; });
        const auto stop = [&] {
            return c.stopAfterReads >= 0 && converter.reads >= c.stopAfterReads;
        };

        EXPECT_EQ(reader.run(stop), c.end) << c.name;
        EXPECT_EQ(flushes, c.flushes) << c.name;
        EXPECT_EQ(tapped, c.tapped) << c.name;
        // The parser saw every byte tapped: each poll and answer pair read came out.
        EXPECT_EQ(listener.snapshot().size(), tapped / 2 * 2) << c.name;
    }
}

// A read that takes several bytes times them back from its own time, one character apart,
// never before the read before it.
TEST(LineReaderTest, BytesOfOneReadAreTimedBackFromIt) {
    constexpr std::int64_t c = velora_protocol::characterTimeNs();
    const velora_protocol::Timestamp read{5'000'000'000, 9'000'000'000};
    struct Case {
        std::uint32_t later;
        std::int64_t previousSteadyNs;
        std::int64_t backNs;
    };
    for (const Case& k : std::vector<Case>{{0, 0, 0},
                                           {1, 0, c},
                                           {3, 0, 3 * c},
                                           {3, read.steadyNs - c, c},
                                           {2, read.steadyNs, 0}}) {
        const velora_protocol::Timestamp previous{read.wallNs - read.steadyNs + k.previousSteadyNs,
                                                  k.previousSteadyNs};
        const auto time = LineReader::arrivalTime(read, previous, k.later);
        EXPECT_EQ(read.steadyNs - time.steadyNs, k.backNs) << k.later;
        EXPECT_EQ(read.wallNs - time.wallNs, k.backNs) << k.later;
    }

    // Through the loop: a long answer read whole spans nine character times.
    TrafficGenerator traffic;
    ASSERT_TRUE(traffic.longAnswer(0x23, TrafficGenerator::longAnswerHeaders().front(),
                                   {1, 2, 3, 4, 5, 6}, true));
    VanishingConverter converter(traffic.bytes(), {}, LineReader::kReadSize);
    struct : velora_listener::ParserEventListener {
        void onFrame(const velora_protocol::Frame& frame) override { frames.push_back(frame); }
        std::vector<velora_protocol::Frame> frames;
    } listener;
    velora_listener::ProtocolParser parser(&listener);
    rs485::RS485Connection unopened;
    // Time passes before the read, as on a line, so the answer's bytes are not held at the
    // start of the loop.
    LineReader reader(unopened, parser, [&converter](void* buffer, std::uint32_t length) {
        std::this_thread::sleep_for(20ms);
        return converter.readCall()(buffer, length);
    });
    EXPECT_EQ(reader.run([] { return false; }), ReadEnd::ConverterLost);
    EXPECT_EQ(converter.reads, 2);
    ASSERT_GE(listener.frames.size(), 2u);
    const auto& answer = listener.frames[1];
    EXPECT_EQ(answer.times.last.steadyNs - answer.times.first.steadyNs, 9 * c);
}

} // namespace
