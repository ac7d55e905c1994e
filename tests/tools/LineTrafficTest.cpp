// The traffic generator's rules for unanswered polls and the simulated line, both checked
// against the real parser: what they claim a parser reports is what it reports.
#include <Device.h>
#include <LineSimulator.h>

#include <test_support/ParsedEvents.h>

#include <gtest/gtest.h>

#include <vector>

using velora_sim::Device;
using velora_sim::LineSimulator;
using velora_sim::Scenario;
using velora_traffic::Event;
using velora_traffic::parseAll;
using velora_traffic::TrafficGenerator;
using namespace velora_traffic::events;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<Event>;

namespace {

void expectExact(const TrafficGenerator& traffic) {
    EXPECT_EQ(parseAll(traffic.bytes()), traffic.eventsAfterFlush());
}

} // namespace

TEST(UnansweredPoll, AnsweredNextAddressMakesTheTwoARun) {
    TrafficGenerator traffic;
    ASSERT_TRUE(traffic.poll(4));
    ASSERT_TRUE(traffic.shortAnswer(5, 0x40));
    EXPECT_EQ(traffic.bytes(), (Bytes{4, 5, 0x40}));
    EXPECT_EQ(traffic.eventsAfterFlush(), (Events{query(4), query(5), shortAnswer(5, 0x40)}));
    expectExact(traffic);

    // A run that an answered poll of the next address goes on with, long answer included.
    ASSERT_TRUE(traffic.poll(1));
    ASSERT_TRUE(traffic.poll(2));
    ASSERT_TRUE(traffic.poll(3));
    ASSERT_TRUE(traffic.longAnswer(4, 0x43, {1, 9, 0x0C, 0, 0, 0}, true));
    expectExact(traffic);
}

TEST(UnansweredPoll, AnythingElseAfterASinglePollMakesItTrash) {
    TrafficGenerator traffic;
    ASSERT_TRUE(traffic.shortAnswer(1, 0x40));
    ASSERT_TRUE(traffic.poll(2));
    ASSERT_TRUE(traffic.command(7, {0, 1, 0, 0, 0}, true));
    ASSERT_TRUE(traffic.poll(9));
    ASSERT_TRUE(traffic.poll(3));
    ASSERT_TRUE(traffic.shortAnswer(1, 0x48));
    ASSERT_TRUE(traffic.poll(20));
    traffic.noise({0x00});
    ASSERT_TRUE(traffic.shortAnswer(126, 0x40));
    ASSERT_TRUE(traffic.poll(127));
    traffic.noise({0x80}); // bit 7 set: no poll of 128
    const Events events = traffic.eventsAfterFlush();
    ASSERT_EQ(events.size(), 12u);
    EXPECT_EQ(events[2], trash({2}));
    EXPECT_EQ(events[5], trash({9, 3}));
    EXPECT_EQ(events[8], trash({20, 0x00}));
    EXPECT_EQ(events[11], trash({127, 0x80}));
    expectExact(traffic);
}

TEST(UnansweredPoll, ByteThatWouldAnswerItIsRefused) {
    TrafficGenerator traffic;
    ASSERT_TRUE(traffic.poll(7));
    // 0x40 and 0x43 are also polls of 64 and 67, but after poll 7 they answer it.
    EXPECT_FALSE(traffic.poll(0x40));
    EXPECT_FALSE(traffic.shortAnswer(0x43, 0x48));
    EXPECT_EQ(traffic.bytes(), (Bytes{7}));
}

TEST(UnansweredPoll, EndOfStreamLeavesTheUnconfirmedPollsUnreported) {
    TrafficGenerator run;
    ASSERT_TRUE(run.pollRun(10, 4));
    EXPECT_EQ(run.eventsAfterFlush(), (Events{query(10), query(11)}));
    expectExact(run);

    TrafficGenerator lone;
    lone.noise({0x80});
    ASSERT_TRUE(lone.poll(30));
    EXPECT_FALSE(lone.settled());
    EXPECT_EQ(lone.eventsAfterFlush(), (Events{trash({0x80})}));
    expectExact(lone);
}

TEST(UnansweredPoll, TakingInPiecesGivesTheWholeStream) {
    TrafficGenerator whole;
    TrafficGenerator pieces;
    Bytes bytes;
    Events events;
    std::mt19937 a(5);
    std::mt19937 b(5);
    for (int i = 0; i < 400; ++i) {
        whole.randomElement(a);
        pieces.randomElement(b);
        if (i % 7 == 0) {
            const Bytes taken = pieces.takeBytes();
            const Events certain = pieces.takeEvents();
            bytes.insert(bytes.end(), taken.begin(), taken.end());
            events.insert(events.end(), certain.begin(), certain.end());
        }
    }
    const Bytes rest = pieces.takeBytes();
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    const Events last = pieces.eventsAfterFlush();
    events.insert(events.end(), last.begin(), last.end());
    EXPECT_EQ(bytes, whole.bytes());
    EXPECT_EQ(events, whole.eventsAfterFlush());
    EXPECT_EQ(parseAll(bytes), events);
}

namespace {

// Runs the simulator for `steps` polls and returns the stream with its events, taken in
// pieces as the tool does.
std::pair<Bytes, Events> simulate(const Scenario& scenario, std::uint32_t seed, int steps) {
    LineSimulator simulator(scenario, seed);
    Bytes bytes;
    Events events;
    for (int i = 0; i < steps; ++i) {
        simulator.step();
        const Bytes taken = simulator.traffic().takeBytes();
        const Events certain = simulator.traffic().takeEvents();
        bytes.insert(bytes.end(), taken.begin(), taken.end());
        events.insert(events.end(), certain.begin(), certain.end());
    }
    const Events last = simulator.traffic().eventsAfterFlush();
    events.insert(events.end(), last.begin(), last.end());
    return {bytes, events};
}

Scenario scenario(std::set<int> devices, int lastAddress, double change, double command,
                  double noise) {
    Scenario s;
    s.devices = std::move(devices);
    s.lastAddress = lastAddress;
    s.changeRate = change;
    s.commandRate = command;
    s.noiseRate = noise;
    return s;
}

} // namespace

TEST(LineSimulator, ParserReportsExactlyTheSimulatedEvents) {
    const Scenario scenarios[] = {
        Scenario{},
        // Every address polled; devices where status bytes and headers meet addresses.
        scenario({1, 62, 63, 64, 65, 66, 70, 79, 80, 111, 112, 126, 127}, 127, 0.2, 0.1, 0.05),
        scenario({}, 16, 0, 0, 0.1),
        scenario({1, 62, 126}, 127, 0.1, 0.1, 0.2),
        scenario({5}, 5, 0.5, 0.5, 0.5),
        scenario({2, 3, 4, 6, 7, 8, 10}, 11, 0.05, 0.02, 0.01),
    };
    for (std::size_t i = 0; i < std::size(scenarios); ++i) {
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            const auto [bytes, events] = simulate(scenarios[i], seed, 3000);
            ASSERT_EQ(parseAll(bytes), events) << "scenario " << i << ", seed " << seed;
        }
    }
}

TEST(LineSimulator, SameSeedSameStream) {
    EXPECT_EQ(simulate(Scenario{}, 42, 500).first, simulate(Scenario{}, 42, 500).first);
    EXPECT_NE(simulate(Scenario{}, 42, 500).first, simulate(Scenario{}, 43, 500).first);
}

TEST(LineSimulator, StreamCarriesEveryKindOfFrame) {
    const auto [bytes, events] = simulate(scenario({1, 2, 3, 6}, 8, 0.1, 0.05, 0.02), 9, 5000);
    std::set<int> types;
    for (const auto& e : events) {
        types.insert(e.type);
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(SimulatedDevice, ReportsChangesOnceAndFollowsCommands) {
    std::mt19937 rng(1);
    Device device(5, rng);
    ASSERT_TRUE(device.hasNews()); // its state on the first poll
    device.reported();
    EXPECT_FALSE(device.hasNews());
    EXPECT_EQ(device.header(), 0x43);
    EXPECT_EQ(device.data(), (Bytes{0x01, 0x01, 0x0C, 0, 0, 0}));

    // Loop 2 off, then a reset: flagged in the header of the next answer only.
    device.apply({0x85, 0, 0x80, 0, 0, 0});
    EXPECT_TRUE(device.hasNews());
    EXPECT_EQ(device.data()[1], Device::kOff);
    device.apply({0x85, 0, 0x01, 0, 0, 0});
    EXPECT_EQ(device.header(), 0x47);
    EXPECT_EQ(device.data()[1], Device::kNormal);
    device.reported();
    EXPECT_EQ(device.header(), 0x43);

    // Group commands are reported in answer byte 5; switching on settles after a report.
    device.apply({0x85, 0x24, 0x10, 0, 0, 0});
    EXPECT_EQ(device.data()[3], 0x24);
    EXPECT_EQ(device.data()[0], Device::kSwitchingOn);
    device.reported();
    device.afterPoll();
    EXPECT_TRUE(device.hasNews());
    EXPECT_EQ(device.data()[0], Device::kNormal);
}

TEST(SimulatedDevice, NeverAnswersWithTheNextAddress) {
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        std::mt19937 rng(seed);
        for (const int address : {0x3F, 0x47, 0x4F, 0x5F, 0x67, 0x6F}) {
            const Device device(address, rng);
            EXPECT_NE(device.status(), address + 1);
            EXPECT_NE(device.header(), address + 1);
        }
    }
}
