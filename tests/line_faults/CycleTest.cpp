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

template <typename Cycle>
void runCycles(int count, Cycle cycle) {
    for (int i = 0; i < count; ++i) {
        cycle();
    }
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
    runCycles(20, cycle); // the allocator's and the C library's first-use costs
    const Footprint before;
    runCycles(1000, cycle);
    const Footprint after;
    expectNothingLeftBehind(before, after);
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
    runCycles(10, cycle);
    const Footprint before;
    runCycles(200, cycle);
    const Footprint after;
    expectNothingLeftBehind(before, after);
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
