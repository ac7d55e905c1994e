// Diagnoses of the device tracker on the simulator's lines: each fault is named with its
// address, a clean line of any seed with nothing.
#include <FaultyLine.h>
#include <LineSimulator.h>

#include <velora_decoding/DeviceTracker.h>
#include <velora_listener/ParserEventListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

using velora_decoding::DeviceTracker;
using velora_protocol::Timestamp;
using Found = std::set<std::pair<std::string, int>>;

namespace {

constexpr std::int64_t kSecondNs = 1'000'000'000;
constexpr std::int64_t kStartNs = 1'800'000'000 * kSecondNs;

class Tracking : public velora_listener::ParserEventListener {
public:
    void onFrame(const velora_protocol::Frame& frame) override { tracker.feed(frame); }
    DeviceTracker tracker;
};

// Bytes at the line's pace from kStartNs, with the pauses the line had.
class TimedLine {
public:
    TimedLine()
        : parser(&tracking) {}

    void pause(double seconds) { now += static_cast<std::int64_t>(seconds * kSecondNs); }
    void send(const std::vector<std::uint8_t>& bytes) {
        for (const std::uint8_t byte : bytes) {
            now += velora_protocol::characterTimeNs();
            parser.feed(byte, Timestamp{now, now});
        }
    }
    void tick() { tracking.tracker.tick(Timestamp{now, now}); }
    void resume() { tracking.tracker.resume(Timestamp{now, now}); }
    Found finish() {
        parser.endOfStream();
        tracking.tracker.finish();
        Found found;
        for (const auto& d : tracking.tracker.diagnosis().diagnoses()) {
            EXPECT_FALSE(tracking.tracker.diagnosis().evidence(d).empty() && !d.silent)
                << velora_decoding::diagnosisText(d);
            found.insert({velora_decoding::diagnosisId(d.kind), d.address});
        }
        return found;
    }
    DeviceTracker& tracker() { return tracking.tracker; }
    std::int64_t elapsed() const { return now - kStartNs; }

private:
    Tracking tracking;
    velora_listener::ProtocolParser parser;
    std::int64_t now = kStartNs;
};

struct Fault {
    const char* what;
    velora_sim::Scenario scenario;
    velora_sim::LineFaults faults;
};

// The simulator's line carried bit by bit for `seconds`, ticking every second.
Found diagnose(const Fault& fault, std::uint32_t seed, double seconds = 30) {
    velora_sim::LineSimulator simulator(fault.scenario, seed);
    velora_sim::FaultyLine line(fault.faults, seed);
    TimedLine timed;
    std::int64_t nextTick = 0;
    while (timed.elapsed() < static_cast<std::int64_t>(seconds * kSecondNs)) {
        simulator.step();
        for (const auto& piece : line.carry(simulator.traffic().takeBytes(), simulator.answers())) {
            timed.pause(piece.pauseSeconds);
            timed.send(piece.bytes);
        }
        if (timed.elapsed() >= nextTick) {
            timed.tick();
            nextTick += kSecondNs;
        }
    }
    return timed.finish();
}

velora_sim::Scenario line(std::function<void(velora_sim::Scenario&)> change = {}) {
    velora_sim::Scenario s;
    s.devices = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    s.lastAddress = 12;
    if (change) {
        change(s);
    }
    return s;
}

velora_sim::LineFaults faults(std::function<void(velora_sim::LineFaults&)> change) {
    velora_sim::LineFaults f;
    change(f);
    return f;
}

} // namespace

TEST(LineDiagnosis, EachSimulatedFaultIsNamedAndACleanLineHasNone) {
    const auto at = [](const char* kind, int address = 0) { return Found{{kind, address}}; };
    const struct {
        Fault fault;
        Found expected;
    } cases[] = {
        {{"duplicate 5", line([](auto& s) { s.duplicate = 5; }), {}}, at("duplicate_address", 5)},
        {{"9600 baud", line(), faults([](auto& f) { f.baud = 9600; })}, at("line_signal")},
        {{"38400 baud", line(), faults([](auto& f) { f.baud = 38400; })}, at("line_signal")},
        {{"A and B swapped", line(), faults([](auto& f) { f.swapped = true; })}, at("line_signal")},
        {{"slow 3", line(), faults([](auto& f) { f.lateMs[3] = 20; })}, at("slow_answer", 3)},
        {{"flaky 4", line([](auto& s) { s.missRate[4] = 0.3; }), {}}, at("intermittent", 4)},
        {{"noise", line([](auto& s) { s.noiseRate = 0.05; }), {}}, at("noise")},
        {{"light noise", line([](auto& s) { s.noiseRate = 0.005; }), {}}, at("noise")},
        {{"slightly flaky 2", line([](auto& s) { s.missRate[2] = 0.03; }), {}},
         at("intermittent", 2)},
        {{"slow 8 a little", line(), faults([](auto& f) { f.lateMs[8] = 6; })},
         at("slow_answer", 8)},
        {{"device 7 stops", line([](auto& s) { s.stopAfter[7] = 20; }), {}}, {}},
        {{"default line", {}, {}}, {}},
        {{"busy line",
          line([](auto& s) {
              s.changeRate = 0.3;
              s.commandRate = 0.2;
          }),
          {}},
         {}},
    };
    for (const auto& c : cases) {
        for (const std::uint32_t seed : {1U, 2U, 3U}) {
            EXPECT_EQ(diagnose(c.fault, seed), c.expected) << c.fault.what << ", seed " << seed;
        }
    }
}

TEST(LineDiagnosis, TheSignalsCauseFollowsItsBitPattern) {
    const struct {
        velora_sim::LineFaults faults;
        velora_decoding::SignalCause cause;
    } cases[] = {
        {faults([](auto& f) { f.swapped = true; }), velora_decoding::SignalCause::SwappedAB},
        {faults([](auto& f) { f.baud = 4800; }), velora_decoding::SignalCause::LowerSpeed},
        {faults([](auto& f) { f.baud = 57600; }), velora_decoding::SignalCause::OtherSpeed},
    };
    for (const auto& c : cases) {
        velora_sim::LineSimulator simulator(line(), 1);
        velora_sim::FaultyLine faulty(c.faults, 1);
        TimedLine timed;
        for (int i = 0; i < 2000; ++i) {
            simulator.step();
            for (const auto& piece : faulty.carry(simulator.traffic().takeBytes(), {})) {
                timed.send(piece.bytes);
            }
        }
        timed.finish();
        const auto found = timed.tracker().diagnosis().diagnoses();
        ASSERT_EQ(found.size(), 1U) << velora_decoding::diagnosisText(found.back());
        EXPECT_EQ(found[0].cause, c.cause) << velora_decoding::diagnosisText(found[0]);
    }
}

// A silent line, a line of zeros, a line of commands without polls: never all well.
TEST(LineDiagnosis, ALineWithoutAPanelIsNamed) {
    TimedLine empty;
    EXPECT_EQ(empty.finish(), (Found{{"no_panel", 0}}));

    TimedLine silent;
    for (int second = 0; second <= 6; ++second) {
        silent.tick();
        silent.pause(1);
    }
    EXPECT_EQ(silent.finish(), (Found{{"no_panel", 0}}));
    EXPECT_TRUE(silent.tracker().diagnosis().diagnoses()[0].silent);

    // A pause in listening is no silence of the line; silence after it is.
    TimedLine paused;
    velora_traffic::TrafficGenerator polls;
    for (int i = 0; i < 200; ++i) {
        polls.poll(1 + i % 3);
        polls.shortAnswer(1 + i % 3, velora_traffic::TrafficGenerator::shortAnswerValues()[0]);
        paused.send(polls.takeBytes());
    }
    paused.pause(60);
    paused.resume();
    paused.tick();
    EXPECT_TRUE(paused.tracker().diagnosis().diagnoses().empty());
    paused.pause(6);
    paused.tick();
    EXPECT_EQ(paused.finish(), (Found{{"no_panel", 0}}));

    TimedLine shortTrash;
    shortTrash.send(std::vector<std::uint8_t>(100, 0x80));
    EXPECT_EQ(shortTrash.finish(), (Found{{"line_signal", 0}}));

    TimedLine zeros;
    zeros.send(std::vector<std::uint8_t>(2000, 0));
    zeros.tracker().converterErrors(2000);
    EXPECT_EQ(zeros.finish(), (Found{{"line_signal", 0}}));
    EXPECT_NE(velora_decoding::diagnosisText(zeros.tracker().diagnosis().diagnoses()[0])
                  .find("Ошибок стоп-бита у преобразователя: 2000."),
              std::string::npos);

    TimedLine commands;
    velora_traffic::TrafficGenerator traffic;
    for (int i = 0; i < 1500; ++i) {
        traffic.command(5, {1, 2, 3, 4, 5}, true);
        commands.send(traffic.takeBytes());
    }
    EXPECT_EQ(commands.finish(), (Found{{"no_panel", 0}}));
}
