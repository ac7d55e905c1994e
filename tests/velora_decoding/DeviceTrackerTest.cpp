#include <velora_decoding/DeviceTracker.h>

#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

using velora_decoding::DeviceChange;
using velora_decoding::DeviceTracker;
using velora_decoding::PointState;
using velora_decoding::Presence;
using velora_protocol::Frame;
using velora_protocol::FrameTimes;
using velora_protocol::Timestamp;

namespace {

std::atomic<long> allocations{0};

constexpr std::int64_t kMs = 1'000'000;

FrameTimes at(std::int64_t ns, std::int64_t lengthNs = 0) {
    return {Timestamp::recorded(ns), Timestamp::recorded(ns + lengthNs)};
}

Frame frame(MessageType type, int address, std::vector<std::uint8_t> bytes, FrameTimes times) {
    return Frame::of(type, address, bytes, times);
}

Frame poll(int address, std::int64_t ns) {
    return frame(mtQuery, address, {static_cast<std::uint8_t>(address)}, at(ns, kMs / 2));
}

Frame shortAnswer(int address, std::int64_t ns) {
    return frame(mtShortAnswer, address, {0x41}, at(ns));
}

// An answer with data: header, address, loops 1 and 2, byte 4 (tamper, outputs, lines).
Frame longAnswer(int address, std::int64_t ns, std::uint8_t loop1, std::uint8_t loop2,
                 std::uint8_t byte4, std::uint8_t header = 0x43) {
    return frame(mtLongAnswer, address,
                 {header, static_cast<std::uint8_t>(address), loop1, loop2, byte4, 0, 0, 0, 0, 0},
                 at(ns, 5 * kMs));
}

std::string changeText(const DeviceChange& c) {
    static const char* const kinds[] = {"", "alarm+", "alarm-", "fault+", "fault-"};
    const std::string what = c.kind == DeviceChange::PresenceChanged
                                 ? velora_decoding::presenceId(c.presence)
                                 : kinds[c.kind];
    return std::to_string(c.address) + ":" + what + "@" + std::to_string(c.time.wallNs / kMs);
}

std::vector<std::string> changeTexts(const DeviceTracker& tracker) {
    std::vector<std::string> texts;
    for (const DeviceChange& c : tracker.changes()) {
        texts.push_back(changeText(c));
    }
    return texts;
}

} // namespace

// These operators pair malloc and free themselves; GCC 12 for Windows, inlining them, takes
// the pair for new and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

// Polls of address 5 every 10 ms, answered ('a') 2 ms later or not ('m'); a poll of
// address 7 decides the last one.
TEST(DeviceTrackerTest, PresenceFollowsAnsweredAndMissedPolls) {
    struct Case {
        const char* outcomes;
        Presence presence;
        std::uint64_t missed;
        std::uint32_t run;
        std::vector<std::string> changes;
    };
    const Case cases[] = {
        {"", Presence::NotPolled, 0, 0, {}},
        {"m", Presence::Silent, 1, 1, {}},
        {"mmmm", Presence::Silent, 4, 4, {}},
        {"amm", Presence::Answering, 2, 2, {}},
        {"ammm", Presence::Lost, 3, 3, {"5:lost@30"}},
        {"ammmaam", Presence::Answering, 4, 1, {"5:lost@30", "5:answering@42"}},
        {"mma", Presence::Answering, 2, 0, {"5:answering@22"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcomes);
        DeviceTracker tracker;
        std::int64_t t = 0;
        for (const char* o = c.outcomes; *o != 0; ++o, t += 10 * kMs) {
            tracker.feed(poll(5, t));
            if (*o == 'a') {
                tracker.feed(shortAnswer(5, t + 2 * kMs));
            }
        }
        tracker.feed(poll(7, t));
        const auto& device = tracker.device(5);
        EXPECT_EQ(device.presence, c.presence);
        EXPECT_EQ(device.missed, c.missed);
        EXPECT_EQ(device.missRun, c.run);
        EXPECT_EQ(changeTexts(tracker), c.changes);
        EXPECT_EQ(tracker.line().missedPolls, c.missed);
    }
}

// A poll is answered only by the very next frame, an answer of the same address.
TEST(DeviceTrackerTest, OnlyTheNextFrameOfTheSameAddressAnswers) {
    DeviceTracker tracker;
    tracker.feed(poll(5, 0));
    tracker.feed(shortAnswer(6, kMs)); // another address
    tracker.feed(poll(5, 10 * kMs));
    tracker.feed(frame(mtTrash, 0, {0x00}, at(11 * kMs)));
    tracker.feed(shortAnswer(5, 12 * kMs)); // too late
    tracker.feed(poll(5, 20 * kMs));
    tracker.feed(longAnswer(5, 22 * kMs, 0x01, 0x01, 0x0C));
    EXPECT_EQ(tracker.device(5).missed, 2u);
    EXPECT_EQ(tracker.device(5).missRun, 0u);
    EXPECT_EQ(tracker.device(5).answers(), 2u);
    EXPECT_EQ(tracker.device(5).answerTimes.count(), 1u);
    EXPECT_EQ(tracker.device(6).presence, Presence::Answering);
    const auto& line = tracker.line();
    EXPECT_EQ(line.frames, 7u);
    EXPECT_EQ(line.bytes, 1u + 1 + 1 + 1 + 1 + 1 + 10);
    EXPECT_EQ(line.trashBytes, 1u);
    EXPECT_EQ(line.answeredPolls, 1u);
    EXPECT_DOUBLE_EQ(line.answeredPercent(), 100.0 / 3);
    EXPECT_DOUBLE_EQ(line.framesPerSecond(), 7 / 0.027);
    EXPECT_THROW(tracker.device(0), std::out_of_range);
    EXPECT_THROW(tracker.device(127), std::out_of_range);
}

// Answers with data of address 3, one every 100 ms: the states they report, when each
// began, and the alarm and fault changes.
TEST(DeviceTrackerTest, StatesOfAnswersWithData) {
    struct Report {
        std::uint8_t loop1, loop2, byte4;
        PointState expectedLoop1, expectedLine3;
        bool alarm, fault;
    };
    const Report reports[] = {
        {0x01, 0x01, 0x0C, PointState::Norm, PointState::Norm, false, false},
        {0x08, 0x01, 0x0C, PointState::Alarm, PointState::Norm, true, false}, // fire
        {0x41, 0x01, 0x0D, PointState::Off, PointState::Norm, false, true},   // off, tamper
        {0x01, 0x01, 0x18, PointState::Norm, PointState::Fault, false, true}, // line 3 fault
        {0x01, 0x01, 0x4C, PointState::Norm, PointState::Alarm, true, false}, // line 3 triggered
        {0x02, 0x01, 0x0C, PointState::Fault, PointState::Norm, false, true}, // loop fault
        {0x01, 0x01, 0x0C, PointState::Norm, PointState::Norm, false, false},
    };
    DeviceTracker tracker;
    std::int64_t t = 0;
    for (const Report& r : reports) {
        tracker.feed(longAnswer(3, t, r.loop1, r.loop2, r.byte4));
        const auto& device = tracker.device(3);
        SCOPED_TRACE(t / kMs);
        EXPECT_EQ(device.points[velora_decoding::kLoop1], r.expectedLoop1);
        EXPECT_EQ(device.points[velora_decoding::kLine3], r.expectedLine3);
        EXPECT_EQ(device.alarm(), r.alarm);
        EXPECT_EQ(device.fault(), r.fault);
        t += 100 * kMs;
    }
    const auto& device = tracker.device(3);
    EXPECT_EQ(device.pointSince[velora_decoding::kLoop2].wallNs, 0);
    EXPECT_EQ(device.pointSince[velora_decoding::kLoop1].wallNs, 600 * kMs);
    EXPECT_EQ(device.flagSince[velora_decoding::kTamper].wallNs, 300 * kMs);
    const std::vector<std::string> expected = {
        "3:alarm+@100", "3:alarm-@200", "3:fault+@200", "3:alarm+@400",
        "3:fault-@400", "3:alarm-@500", "3:fault+@500", "3:fault-@600",
    };
    EXPECT_EQ(changeTexts(tracker), expected);

    // A first report in alarm is a change; the flags of a header count too.
    DeviceTracker second;
    second.feed(longAnswer(4, 0, 0x80, 0x01, 0x0C, 0x47));
    EXPECT_EQ(changeTexts(second), std::vector<std::string>{"4:alarm+@0"});
    EXPECT_TRUE(second.device(4).flags[velora_decoding::kReset]);
}

TEST(DeviceTrackerTest, AnswerTimesFromPollEndToAnswerStart) {
    velora_decoding::AnswerTimes times;
    EXPECT_EQ(times.percentileNs(0.99), 0);
    for (int k = 1; k <= 100; ++k) {
        times.add(k * 100'000 + 50'000); // k.5 tenths of a millisecond
    }
    EXPECT_EQ(times.minNs(), 150'000);
    EXPECT_EQ(times.maxNs(), 10'050'000);
    EXPECT_EQ(times.meanNs(), 5'100'000);
    EXPECT_EQ(times.percentileNs(0.99), 10'000'000);
    EXPECT_EQ(times.percentileNs(0.5), 5'100'000);
    times.add(900 * kMs); // beyond the last bin
    EXPECT_EQ(times.percentileNs(1.0), 900 * kMs);

    DeviceTracker tracker;
    tracker.feed(poll(9, 0)); // ends at 0.5 ms
    tracker.feed(shortAnswer(9, 3 * kMs));
    EXPECT_EQ(tracker.device(9).answerTimes.minNs(), 5 * kMs / 2);
}

// Generated traffic through the parser: counts match the generator's events, and
// feeding the tracker allocates nothing.
TEST(DeviceTrackerTest, CountsGeneratedTrafficWithoutAllocating) {
    const auto traffic = velora_traffic::TrafficGenerator::random(7, 20000);
    struct Collect : velora_listener::ParserEventListener {
        std::vector<Frame> frames;
        void onFrame(const Frame& f) override { frames.push_back(f); }
    } parsed;
    velora_listener::ProtocolParser parser(&parsed);
    for (std::uint8_t b : traffic.bytes()) {
        parser.feed(b);
    }
    DeviceTracker tracker;
    const long before = allocations.load();
    for (const Frame& f : parsed.frames) {
        tracker.feed(f);
    }
    EXPECT_EQ(allocations.load() - before, 0);

    std::uint64_t polls = 0, longAnswers = 0, commands = 0;
    for (const velora_traffic::Event& e : traffic.events()) {
        polls += e.type == mtQuery && e.address == 17;
        longAnswers += e.type == mtLongAnswer && e.address == 17;
        commands += e.type == mtCommand && e.address == 17;
    }
    EXPECT_EQ(tracker.line().frames, traffic.events().size());
    EXPECT_EQ(tracker.device(17).polls, polls);
    EXPECT_EQ(tracker.device(17).longAnswers, longAnswers);
    EXPECT_EQ(tracker.device(17).commands, commands);
}

// The load of the whole line and of whole minutes: frames of `size` bytes every `stepNs`
// from `fromNs` to `toNs`; a minute counts once the next has begun, a silent one as 0.
TEST(DeviceTrackerTest, LineLoadOfTheWholeLineAndOfWholeMinutes) {
    struct Run {
        std::int64_t fromNs, toNs, stepNs;
    };
    struct Case {
        const char* name;
        std::vector<Run> runs;
        double load;
        std::uint64_t minutes;
        double low, high;
    };
    constexpr std::int64_t ch = velora_protocol::characterTimeNs();
    constexpr std::int64_t s = 1000 * kMs;
    constexpr std::int64_t kStart = 1000 * s; // a time of 0 is unknown
    const Case cases[] = {
        {"idle: a poll a second",
         {{0, 61 * s, s}},
         62.0 * ch / (61 * s + ch),
         1,
         60.0 * ch / (60 * s),
         60.0 * ch / (60 * s)},
        {"saturated", {{0, 61 * s, ch}}, 1.0, 1, 1.0, 1.0},
        {"saturated, not a whole minute", {{0, 59 * s, ch}}, 1.0, 0, 0.0, 0.0},
        {"saturated minute, silent minute, one more poll",
         {{0, 60 * s - ch, ch}, {150 * s, 150 * s, ch}},
         (60.0 * s / ch + 1) * ch / (150 * s + ch),
         2,
         0.0,
         1.0},
    };
    for (const Case& c : cases) {
        DeviceTracker tracker;
        for (const Run& run : c.runs) {
            for (std::int64_t ns = run.fromNs; ns <= run.toNs; ns += run.stepNs) {
                tracker.feed(frame(mtTrash, 0, {0x00}, at(kStart + ns)));
            }
        }
        const auto& line = tracker.line();
        EXPECT_NEAR(line.load(), c.load, 1e-4) << c.name;
        EXPECT_EQ(line.minuteLoad.wholeMinutes(), c.minutes) << c.name;
        EXPECT_NEAR(line.minuteLoad.minuteLow(), c.low, 1e-4) << c.name;
        EXPECT_NEAR(line.minuteLoad.minuteHigh(), c.high, 1e-4) << c.name;
    }
}
