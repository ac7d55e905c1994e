#include <test_support/Elapsed.h>
#include <test_support/LineChecks.h>
#include <test_support/RecordingListener.h>
#include <velora_listener/LineReader.h>
#include <velora_listener/ListenerThread.h>
#include <velora_listener/ProtocolParser.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>

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
// read of a vanished terminal. The reads listed in `silent` (counted from 0) time out instead.
class VanishingConverter {
public:
    explicit VanishingConverter(Bytes bytes, std::vector<int> silent = {})
        : bytes(std::move(bytes))
        , silent(std::move(silent)) {}

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
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(length, bytes.size() - at));
        std::memcpy(buffer, bytes.data() + at, n);
        at += n;
        return n;
    }

    Bytes bytes;
    std::vector<int> silent;
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
    // Every frame before the loss arrived intact; the half-collected one is dropped.
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

} // namespace
