// What VeloraListener promises on every platform, tested through the platform's line.
#include <test_support/LineChecks.h>
#include <test_support/RecordingListener.h>
#include <test_support/TestLine.h>
#include <velora_listener/VeloraListener.h>

#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using velora_listener::VeloraListener;
using velora_traffic::Event;
using velora_traffic::mentions;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

class ListenerContract : public test_support::LineTest {
protected:
    void SetUp() override {
        LineTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        velora = std::make_unique<VeloraListener>(&listener);
        line->prepareOpen();
        ASSERT_TRUE(velora->open(line->portName())) << velora->lastErrorText();
    }

    std::size_t waitUntilReading() { return velora_traffic::waitUntilReading(listener, writer); }

    void expectDelivered(std::size_t first, const TrafficGenerator& traffic, std::uint32_t seed) {
        velora_traffic::expectDelivered(listener, writer, first, traffic, seed);
    }

    RecordingListener listener;
    std::unique_ptr<VeloraListener> velora;
    const velora_traffic::LineWriter writer = [this](const Bytes& bytes) { line->write(bytes); };
};

TEST_F(ListenerContract, FramesWrittenIntoTheLineReachTheListenerIntact) {
    velora->start();
    EXPECT_TRUE(velora->isListening());
    const std::size_t first = waitUntilReading();

    expectDelivered(first, TrafficGenerator::random(20261208, 400), 1);
    EXPECT_EQ(listener.connectionLost, 0);
}

TEST_F(ListenerContract, StartTwiceLeavesOneReader) {
    velora->start();
    velora->start();
    const std::size_t first = waitUntilReading();

    // Two readers would split the bytes between two parsers and tear the frames apart.
    expectDelivered(first, TrafficGenerator::random(77, 300), 2);
}

TEST_F(ListenerContract, PauseThenResumeDropsWhatArrivedMeanwhile) {
    TrafficGenerator cut;
    ASSERT_TRUE(cut.longAnswer(0x22, TrafficGenerator::longAnswerHeaders().front(),
                               {1, 2, 3, 4, 5, 6}, true));
    const Bytes& frame = cut.bytes();
    const auto half = static_cast<std::ptrdiff_t>(frame.size() / 2);

    velora->start();
    waitUntilReading();
    line->write(Bytes(frame.begin(), frame.begin() + half));
    std::this_thread::sleep_for(100ms);
    velora->stop();
    EXPECT_FALSE(velora->isListening());

    // Arrives while paused: the end of the cut frame and a whole answer.
    line->write(Bytes(frame.begin() + half, frame.end()));
    line->write({0x21, 0x40});
    std::this_thread::sleep_for(100ms);

    velora->start();
    const std::size_t first = waitUntilReading();
    TrafficGenerator after;
    ASSERT_TRUE(after.shortAnswer(0x10, 0x40));
    ASSERT_TRUE(after.pollRun(0x11, 3));
    ASSERT_TRUE(after.shortAnswer(0x20, 0x40));
    expectDelivered(first, after, 3);

    const std::vector<Event> all = listener.snapshot();
    EXPECT_FALSE(mentions(all, 0x21));
    EXPECT_FALSE(mentions(all, 0x22));
}

TEST_F(ListenerContract, StopEndsTheReaderWithinAReadTimeout) {
    velora->start();
    const std::size_t first = waitUntilReading();
    const auto start = Clock::now();
    velora->stop();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_FALSE(velora->isListening());

    // Nobody reads any more: the frame stays in the port.
    line->write({0x10, 0x40});
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(listener.snapshot().size(), first);
    EXPECT_TRUE(velora->close());
    EXPECT_EQ(listener.connectionLost, 0);
}

TEST_F(ListenerContract, DestroyingAListeningFacadeStopsTheReaderBeforeThePortCloses) {
    velora->start();
    waitUntilReading();
    velora.reset();
    // A port closed under a running reader would show as a lost converter.
    EXPECT_EQ(listener.connectionLost, 0);

    line->prepareOpen();
    rs485::RS485Connection reopened;
    EXPECT_TRUE(reopened.open(line->portName(), 19200)) << reopened.lastErrorText();
}

TEST_F(ListenerContract, CloseWhileListeningStopsTheReaderFirst) {
    velora->start();
    waitUntilReading();
    EXPECT_TRUE(velora->close());
    EXPECT_FALSE(velora->isListening());
    EXPECT_FALSE(velora->isOpen());
    EXPECT_EQ(listener.connectionLost, 0);
}

} // namespace
