// Pausing and resuming, connecting and disconnecting, over and over while traffic flows:
// nothing may be left behind.
#include <test_support/LineHarness.h>
#include <test_support/ProcessProbe.h>

#include <velora_listener/VeloraListener.h>

#include <gtest/gtest.h>

namespace line_faults {
namespace {

struct Footprint {
    std::size_t descriptors = openDescriptorCount();
    std::size_t threads = threadCount();
    std::size_t residentKb = statusKilobytes("VmRSS");
    std::size_t virtualKb = statusKilobytes("VmSize");
};

// Leaks of heap memory are LeakSanitizer's to find; this catches what grows per cycle
// beyond allocator noise: thread stacks, mappings, buffers.
void expectNothingLeftBehind(const Footprint& before, const Footprint& after) {
    EXPECT_EQ(after.descriptors, before.descriptors);
    EXPECT_EQ(after.threads, before.threads);
    if (kProcessSizeShowsLeaks) {
        EXPECT_LT(after.residentKb, before.residentKb + 4096);
        EXPECT_LT(after.virtualKb, before.virtualKb + 16384);
    }
}

// Runs the cycle `warmUp` times (the allocator's and the C library's first-use costs), then
// `count` times, which must leave nothing behind.
template <typename Cycle>
void expectCyclesLeaveNothing(int warmUp, int count, Cycle cycle) {
    for (int i = 0; i < warmUp; ++i) {
        cycle();
    }
    const Footprint before;
    for (int i = 0; i < count; ++i) {
        cycle();
    }
    expectNothingLeftBehind(before, Footprint());
}

// Lets the reader take in traffic until it has reported a frame, so that the stop that
// follows meets it in the middle of the stream.
bool receiveSome(const CountingListener& counter) {
    const long before = counter.frames;
    return waitFor([&] { return counter.frames > before; }, 2000ms);
}

TEST(Cycles, AThousandPausesAndResumesWhileTrafficFlows) {
    pseudo_terminal::PseudoTerminal line;
    CountingListener counter;
    velora_listener::VeloraListener listener(&counter);
    ASSERT_TRUE(listener.open(line.slavePath())) << listener.lastErrorText();
    BackgroundTraffic traffic(line);
    int silentCycles = 0;
    const auto cycle = [&] {
        listener.start();
        silentCycles += receiveSome(counter) ? 0 : 1;
        listener.stop();
    };
    expectCyclesLeaveNothing(20, 1000, cycle);
    EXPECT_EQ(silentCycles, 0);
    EXPECT_EQ(counter.connectionLost, 0);
    EXPECT_TRUE(listener.close());
}

TEST(Cycles, TwoHundredConnectsAndDisconnectsWhileTrafficFlows) {
    pseudo_terminal::PseudoTerminal line;
    CountingListener counter;
    velora_listener::VeloraListener listener(&counter);
    BackgroundTraffic traffic(line);
    int silentCycles = 0;
    const auto cycle = [&] {
        ASSERT_TRUE(listener.open(line.slavePath())) << listener.lastErrorText();
        listener.start();
        silentCycles += receiveSome(counter) ? 0 : 1;
        listener.stop();
        ASSERT_TRUE(listener.close());
    };
    expectCyclesLeaveNothing(10, 200, cycle);
    EXPECT_EQ(silentCycles, 0);
    EXPECT_EQ(counter.connectionLost, 0);
}

TEST(Cycles, DestroyingAListeningFacadeStopsTheReaderFirst) {
    pseudo_terminal::PseudoTerminal line;
    CountingListener counter;
    BackgroundTraffic traffic(line);
    const Footprint before;
    for (int i = 0; i < 50; ++i) {
        velora_listener::VeloraListener listener(&counter);
        ASSERT_TRUE(listener.open(line.slavePath())) << listener.lastErrorText();
        listener.start();
    }
    const Footprint after;
    EXPECT_EQ(after.descriptors, before.descriptors);
    EXPECT_EQ(after.threads, before.threads);
}

} // namespace
} // namespace line_faults
