#include <test_support/Elapsed.h>
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
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using velora_traffic::waitFor;
using Bytes = std::vector<std::uint8_t>;
using test_support::Clock;
using test_support::msSince;
using namespace std::chrono_literals;

namespace {

// What the pseudo-terminal alone can show: its read fails once the converter is gone. The
// listener's other promises are tested on every platform in tests/line_contract.
class ListenerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        velora = std::make_unique<VeloraListener>(&listener);
        ASSERT_TRUE(velora->open(pty.slavePath())) << velora->lastErrorText();
    }

    std::size_t waitUntilReading() { return velora_traffic::waitUntilReading(listener, writer); }

    PseudoTerminal pty;
    RecordingListener listener;
    std::unique_ptr<VeloraListener> velora;
    const velora_traffic::LineWriter writer = [this](const Bytes& bytes) { pty.write(bytes); };
};

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
