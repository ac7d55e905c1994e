#pragma once

#include "Device.h"

#include <velora_traffic/TrafficGenerator.h>

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace velora_sim {

// What the simulated line carries. Rates are chances per poll, 0 to 1.
struct Scenario {
    std::set<int> devices{1, 2, 3, 5, 8, 9, 10, 16};
    // The panel polls the addresses 1 to lastAddress in turn.
    int lastAddress = 20;
    // A device changes its state before it is polled (alarm, fault, restoration).
    double changeRate = 0.02;
    // The panel sends a command to a device before the next poll.
    double commandRate = 0.01;
    // A burst of noise precedes the next poll.
    double noiseRate = 0.0;
    // Devices that answer only their first polls, by address: the number of polls.
    std::map<int, std::uint64_t> stopAfter;
    // Devices that miss a poll now and then, by address: the chance per poll.
    std::map<int, double> missRate;
    // An address that a second device answers too, or 0.
    int duplicate = 0;
    // A walk test: these checks (address, check 0..4: loops 1 and 2, lines 3 and 4, tamper)
    // are set off one after another, each in alarm for a few seconds, then normal.
    std::vector<std::pair<int, int>> walk;
};

// A device's answer in the bytes of the current step: where it stands and, where a second
// device has the same address, what that one sends at the same time.
struct Answer {
    std::size_t offset = 0;
    std::size_t length = 0;
    int address = 0;
    std::vector<std::uint8_t> twin;
};

// A control panel and its devices: every step polls the next address, answered by the
// device there with one byte or, when its state changed, with an answer frame that the
// panel acknowledges; commands are acknowledged by their device. The stream and the
// events a correct listener reports for it come from the traffic generator.
class LineSimulator {
public:
    LineSimulator(const Scenario& scenario, std::uint32_t seed);

    void step();

    // When the walk test sets off its first check, how long each stays in alarm, and the
    // pause before the next one, in seconds of the line.
    static constexpr double kWalkStart = 2.0;
    static constexpr double kWalkAlarm = 3.0;
    static constexpr double kWalkPause = 2.0;

    velora_traffic::TrafficGenerator& traffic() { return generator; }
    std::uint64_t polls() const { return pollCount; }
    // The answers of the last step, by their offset in traffic().bytes().
    const std::vector<Answer>& answers() const { return lastAnswers; }

private:
    bool chance(double rate);
    void noise();
    void command();
    void poll(int address);
    void walk();
    std::vector<std::uint8_t> twinAnswer();

    Scenario scenario;
    std::mt19937 rng;
    velora_traffic::TrafficGenerator generator;
    std::map<int, Device> devices;
    std::optional<Device> twin;
    std::vector<Answer> lastAnswers;
    std::map<int, std::uint64_t> pollsOf;
    int nextAddress = 1;
    std::uint64_t pollCount = 0;
    // The line's bytes so far, its clock for the walk test.
    std::uint64_t lineBytes = 0;
    // The walk's checks in alarm now, by their place in the walk.
    std::set<std::size_t> walkAlarms;
};

} // namespace velora_sim
