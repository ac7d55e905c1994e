#include <velora_listener/VeloraListener.h>
#include <velora_traffic/RecordingListener.h>

#include <rs485/RS485Connection.h>

#include <pseudo_terminal/PseudoTerminal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

using pseudo_terminal::PseudoTerminal;
using velora_listener::VeloraListener;
using velora_traffic::Event;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<Event>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr std::uint8_t kProbeAddress = 0x7E;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class ListenerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        velora = std::make_unique<VeloraListener>(&listener);
        ASSERT_TRUE(velora->open(pty.slavePath())) << velora->lastErrorText();
    }

    // The reader purges the port when it starts, at a moment the test cannot see. Polls an
    // answered probe address until the parser reports it, waits until nothing more comes,
    // and returns the number of events so far: from there on, the parser is idle and sees
    // exactly what the test writes.
    std::size_t waitUntilReading() {
        const auto probed = [this] {
            const Events events = listener.snapshot();
            return std::any_of(events.begin(), events.end(), [](const Event& e) {
                return e.type == velora_traffic::ShortAnswer && e.address == kProbeAddress;
            });
        };
        for (int attempt = 0; attempt < 50 && !probed(); ++attempt) {
            pty.write({kProbeAddress, 0x40});
            waitFor(probed, 200ms);
        }
        EXPECT_TRUE(probed()) << "the reader never read";
        std::size_t count = listener.snapshot().size();
        for (;;) {
            std::this_thread::sleep_for(300ms);
            const std::size_t now = listener.snapshot().size();
            if (now == count) {
                return count;
            }
            count = now;
        }
    }

    // Writes the traffic and checks that the parser reported its events after `first`. A
    // final 0x00 settles the last frame, which a parser can only be sure of when the next
    // byte comes; the 0x00 itself stays in the parser's trash.
    void expectDelivered(std::size_t first, const TrafficGenerator& traffic, std::uint32_t seed) {
        Bytes bytes = traffic.bytes();
        bytes.push_back(0x00);
        writeInPieces(bytes, seed);
        const std::size_t count = traffic.events().size();
        EXPECT_TRUE(waitFor([&] { return listener.snapshot().size() >= first + count; }))
            << "only " << listener.snapshot().size() - first << " of " << count << " events";
        const Events all = listener.snapshot();
        ASSERT_GE(all.size(), first + count);
        const auto begin = all.begin() + static_cast<std::ptrdiff_t>(first);
        EXPECT_EQ(Events(begin, begin + static_cast<std::ptrdiff_t>(count)), traffic.events());
    }

    // Writes the stream in pieces of random size, as a converter delivers it.
    void writeInPieces(const Bytes& bytes, std::uint32_t seed) {
        std::mt19937 rng(seed);
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + rng() % 48);
            pty.write(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
            at += n;
            if (rng() % 8 == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 15));
            }
        }
    }

    // Whether an event carries the address or has it among its bytes.
    static bool mentions(const Events& events, int address) {
        return std::any_of(events.begin(), events.end(), [&](const Event& e) {
            return e.address == address ||
                   std::find(e.bytes.begin(), e.bytes.end(), address) != e.bytes.end();
        });
    }

    PseudoTerminal pty;
    RecordingListener listener;
    std::unique_ptr<VeloraListener> velora;
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
