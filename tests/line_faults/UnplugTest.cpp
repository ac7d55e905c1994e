// The converter pulled out, or reception paused, in the middle of a frame.
#include <test_support/LineHarness.h>
#include <test_support/ProcessProbe.h>

#include <velora_listener/VeloraListener.h>
#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

namespace line_faults {
namespace {

using velora_traffic::Event;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;

// A poll and the first half of its long answer.
std::vector<std::uint8_t> halfLongAnswer() {
    TrafficGenerator traffic;
    traffic.longAnswer(9, 0x43, {1, 2, 3, 4, 5, 6}, true);
    return {traffic.bytes().begin(), traffic.bytes().begin() + 6};
}

bool hasFrameOf(const std::vector<Event>& events, int type) {
    for (const auto& e : events) {
        if (e.type == type) {
            return true;
        }
    }
    return false;
}

// A listener with its port open on a pseudo-terminal.
class ListeningPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(listener.open(line.slavePath())) << listener.lastErrorText();
    }

    pseudo_terminal::PseudoTerminal line;
    RecordingListener recorder;
    velora_listener::VeloraListener listener{&recorder};
};

using Unplug = ListeningPty;
using Pause = ListeningPty;

TEST_F(Unplug, MidFrameReportsOneLossDropsThePartialFrameAndLeavesTheProcessIdle) {
    const std::size_t threadsBefore = threadCount();
    listener.start();
    const std::size_t synced = synchronise(line, recorder);
    ASSERT_EQ(threadCount(), threadsBefore + 1);

    line.write(halfLongAnswer());
    std::this_thread::sleep_for(100ms); // the half frame is in the parser
    line.closeMaster();

    ASSERT_TRUE(waitFor([&] { return recorder.connectionLost == 1; }, 2000ms));
    EXPECT_TRUE(waitFor([&] { return threadCount() == threadsBefore; }, 1000ms))
        << "the reader thread did not end";

    const double cpuBefore = processCpuSeconds();
    std::this_thread::sleep_for(2s);
    const double cpuUsed = processCpuSeconds() - cpuBefore;
    EXPECT_LT(cpuUsed, 0.2) << "the process keeps working after the loss";

    EXPECT_EQ(recorder.connectionLost, 1);
    EXPECT_EQ(recorder.snapshot().size(), synced) << "the partial frame was reported";
    listener.stop();
    EXPECT_TRUE(listener.close());
    EXPECT_EQ(recorder.connectionLost, 1);
}

TEST_F(Unplug, WhileIdleEndsTheReaderWithinTheReadTimeOut) {
    listener.start();
    synchronise(line, recorder);
    line.closeMaster();
    EXPECT_TRUE(waitFor([&] { return recorder.connectionLost == 1; }, 1000ms));
    listener.stop();
    listener.close();
}

TEST_F(Pause, AFrameCutByThePauseIsNotReportedAndWhatCameDuringThePauseIsPurged) {
    listener.start();
    synchronise(line, recorder);

    TrafficGenerator traffic;
    traffic.longAnswer(9, 0x43, {1, 2, 3, 4, 5, 6}, true);
    const auto& bytes = traffic.bytes();
    line.write({bytes.begin(), bytes.begin() + 6});
    std::this_thread::sleep_for(100ms);
    listener.stop();
    line.write({bytes.begin() + 6, bytes.end()});
    std::this_thread::sleep_for(50ms);

    listener.start();
    const std::size_t synced = synchronise(line, recorder);
    const auto events = recorder.snapshot();
    EXPECT_FALSE(hasFrameOf(events, mtLongAnswer));
    EXPECT_FALSE(hasFrameOf(events, mtLongAnswerAck));
    // Only the synchronising answers came through after the resume.
    for (std::size_t i = 0; i < synced; ++i) {
        EXPECT_TRUE(events[i].type == mtQuery || events[i].type == mtShortAnswer ||
                    events[i].type == mtTrash)
            << events[i];
    }
    listener.stop();
    listener.close();
}

} // namespace
} // namespace line_faults
