#pragma once

#include "Device.h"

#include <velora_traffic/TrafficGenerator.h>

#include <cstdint>
#include <map>
#include <random>
#include <set>

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
};

// A control panel and its devices: every step polls the next address, answered by the
// device there with one byte or, when its state changed, with an answer frame that the
// panel acknowledges; commands are acknowledged by their device. The stream and the
// events a correct listener reports for it come from the traffic generator.
class LineSimulator {
public:
    LineSimulator(const Scenario& scenario, std::uint32_t seed);

    void step();

    velora_traffic::TrafficGenerator& traffic() { return generator; }
    std::uint64_t polls() const { return pollCount; }

private:
    bool chance(double rate);
    void noise();
    void command();
    void poll(int address);

    Scenario scenario;
    std::mt19937 rng;
    velora_traffic::TrafficGenerator generator;
    std::map<int, Device> devices;
    std::map<int, std::uint64_t> pollsOf;
    int nextAddress = 1;
    std::uint64_t pollCount = 0;
};

} // namespace velora_sim
