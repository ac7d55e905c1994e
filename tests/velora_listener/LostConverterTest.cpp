#include <test_support/RecordingListener.h>
#include <velora_listener/ListenerThread.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using velora_listener::ListenerThread;
using velora_traffic::Event;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// A converter that delivers a byte stream and then fails its read, as an unplugged one does: the
// one way to reach the reader's lost-converter path on a system whose serial driver never fails a
// read of a vanished terminal.
class VanishingConverter {
public:
    explicit VanishingConverter(Bytes bytes)
        : bytes(std::move(bytes)) {}

    ListenerThread::ReadCall readCall() {
        return [this](void* buffer, std::uint32_t length) { return read(buffer, length); };
    }

    std::atomic<int> reads{0};
    std::atomic<int> failedReads{0};

private:
    std::uint32_t read(void* buffer, std::uint32_t length) {
        ++reads;
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
    std::size_t at = 0;
};

bool waitFor(const std::atomic<int>& counter, int value) {
    const auto deadline = Clock::now() + 10s;
    while (counter < value && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    return counter >= value;
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

    ASSERT_TRUE(waitFor(listener.connectionLost, 1));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(listener.connectionLost, 1);
    // The loop ended at the failed read: no read after it.
    EXPECT_EQ(converter.failedReads, 1);
    EXPECT_EQ(converter.reads, static_cast<int>(stream.bytes.size()) + 1);
    // Every frame before the loss arrived intact; the half-collected one is dropped.
    EXPECT_EQ(listener.snapshot(), stream.traffic.events());

    // The ended reader counts as running until the user interface disconnects.
    EXPECT_TRUE(thread.isRunning());
    const auto start = Clock::now();
    thread.stop();
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(listener.connectionLost, 1);
}

TEST(LostConverterTest, ConverterGoneBeforeTheFirstByte) {
    VanishingConverter converter({});
    RecordingListener listener;
    rs485::RS485Connection unopened;
    ListenerThread thread(&unopened, &listener, converter.readCall());
    thread.start();
    ASSERT_TRUE(waitFor(listener.connectionLost, 1));
    thread.stop();
    EXPECT_EQ(listener.connectionLost, 1);
    EXPECT_EQ(converter.reads, 1);
    EXPECT_TRUE(listener.snapshot().empty());
}

} // namespace
