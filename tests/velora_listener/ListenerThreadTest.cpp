#include <test_support/LineChecks.h>
#include <test_support/RecordingListener.h>
#include <velora_listener/VeloraListener.h>

#include <rs485/RS485Connection.h>

#include <test_support/PseudoTerminal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using pseudo_terminal::PseudoTerminal;
using velora_listener::VeloraListener;
using velora_traffic::Event;
using velora_traffic::mentions;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using velora_traffic::waitFor;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<Event>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class ListenerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        velora = std::make_unique<VeloraListener>(&listener);
        ASSERT_TRUE(velora->open(pty.slavePath())) << velora->lastErrorText();
    }

    std::size_t waitUntilReading() { return velora_traffic::waitUntilReading(listener, writer); }

    void expectDelivered(std::size_t first, const TrafficGenerator& traffic, std::uint32_t seed) {
        velora_traffic::expectDelivered(listener, writer, first, traffic, seed);
    }

    PseudoTerminal pty;
    RecordingListener listener;
    std::unique_ptr<VeloraListener> velora;
    const velora_traffic::LineWriter writer = [this](const Bytes& bytes) { pty.write(bytes); };
};

TEST_F(ListenerThreadTest, FramesWrittenIntoTheLineReachTheListenerIntact) {
    velora->start();
    EXPECT_TRUE(velora->isListening());
    const std::size_t first = waitUntilReading();

    const TrafficGenerator traffic = TrafficGenerator::random(20261208, 600);
    expectDelivered(first, traffic, 1);
    EXPECT_EQ(listener.connectionLost, 0);
}

TEST_F(ListenerThreadTest, StartTwiceLeavesOneReader) {
    velora->start();
    velora->start();
    const std::size_t first = waitUntilReading();

    // Two readers would split the bytes between two parsers and tear the frames apart.
    const TrafficGenerator traffic = TrafficGenerator::random(77, 300);
    expectDelivered(first, traffic, 2);
}

TEST_F(ListenerThreadTest, PauseThenResumeDropsWhatArrivedMeanwhile) {
    TrafficGenerator cut;
    ASSERT_TRUE(cut.longAnswer(0x22, TrafficGenerator::longAnswerHeaders().front(),
                               {1, 2, 3, 4, 5, 6}, true));
    const Bytes& frame = cut.bytes();
    const auto half = static_cast<std::ptrdiff_t>(frame.size() / 2);

    velora->start();
    waitUntilReading();
    pty.write(Bytes(frame.begin(), frame.begin() + half));
    std::this_thread::sleep_for(100ms);
    velora->stop();
    EXPECT_FALSE(velora->isListening());

    // Arrives while paused: the end of the cut frame and a whole answer.
    pty.write(Bytes(frame.begin() + half, frame.end()));
    pty.write({0x21, 0x40});
    std::this_thread::sleep_for(100ms);

    velora->start();
    const std::size_t first = waitUntilReading();
    TrafficGenerator after;
    ASSERT_TRUE(after.shortAnswer(0x10, 0x40));
    ASSERT_TRUE(after.pollRun(0x11, 3));
    ASSERT_TRUE(after.shortAnswer(0x20, 0x40));
    expectDelivered(first, after, 3);

    const Events all = listener.snapshot();
    EXPECT_FALSE(mentions(all, 0x21));
    EXPECT_FALSE(mentions(all, 0x22));
}

TEST_F(ListenerThreadTest, LostConverterIsReportedOnceAndEndsTheReader) {
    velora->start();
    const std::size_t first = waitUntilReading();
    TrafficGenerator cut;
    ASSERT_TRUE(cut.longAnswer(0x23, TrafficGenerator::longAnswerHeaders().front(),
                               {1, 2, 3, 4, 5, 6}, false));
    pty.write(Bytes(cut.bytes().begin(), cut.bytes().begin() + 5));
    std::this_thread::sleep_for(100ms);

    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return listener.connectionLost == 1; }));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(listener.connectionLost, 1);
    // The half-collected frame is dropped unreported.
    EXPECT_EQ(listener.snapshot().size(), first);

    // The ended reader still counts until the user interface disconnects.
    EXPECT_TRUE(velora->isListening());
    const auto start = Clock::now();
    velora->stop();
    EXPECT_LT(msSince(start), 2000);
    EXPECT_FALSE(velora->isListening());
    EXPECT_TRUE(velora->close());
    EXPECT_EQ(listener.connectionLost, 1);
}

TEST_F(ListenerThreadTest, StopEndsTheReaderWithinAReadTimeout) {
    velora->start();
    const std::size_t first = waitUntilReading();
    const auto start = Clock::now();
    velora->stop();
    EXPECT_LT(msSince(start), 2000);

    // Nobody reads any more: the frame stays in the port.
    pty.write({0x10, 0x40});
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(listener.snapshot().size(), first);
    EXPECT_TRUE(velora->close());
}

TEST_F(ListenerThreadTest, DestroyingAListeningFacadeStopsTheReaderBeforeThePortCloses) {
    velora->start();
    waitUntilReading();
    velora.reset();
    // A port closed under a running reader would show as a lost converter.
    EXPECT_EQ(listener.connectionLost, 0);

    rs485::RS485Connection reopened;
    EXPECT_TRUE(reopened.open(pty.slavePath(), 19200)) << reopened.lastErrorText();
}

TEST_F(ListenerThreadTest, CloseWhileListeningStopsTheReaderFirst) {
    velora->start();
    waitUntilReading();
    EXPECT_TRUE(velora->close());
    EXPECT_FALSE(velora->isListening());
    EXPECT_FALSE(velora->isOpen());
    EXPECT_EQ(listener.connectionLost, 0);
}

TEST(ListenerFacadeTest, StopWithoutReaderReturnsAtOnce) {
    RecordingListener listener;
    VeloraListener velora(&listener);
    const auto start = Clock::now();
    velora.stop();
    velora.stop();
    EXPECT_LT(msSince(start), 150);
    EXPECT_FALSE(velora.isListening());
}

TEST(ListenerFacadeTest, FailedOpenSaysWhy) {
    RecordingListener listener;
    VeloraListener velora(&listener);
    EXPECT_FALSE(velora.open("/dev/ttyVeloraMissing0"));
    EXPECT_FALSE(velora.isOpen());
    EXPECT_FALSE(velora.lastErrorText().empty());
}

} // namespace
