#include "LineSimulator.h"

#include <velora_protocol/LineSpeed.h>

#include <iterator>
#include <stdexcept>

namespace velora_sim {

namespace {

int randomInt(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// Every element of the simulated line is one the generator can tell apart; a refusal
// is a fault of the simulator.
void require(bool added) {
    if (!added) {
        throw std::logic_error("the simulated line became ambiguous");
    }
}

} // namespace

LineSimulator::LineSimulator(const Scenario& scenario, std::uint32_t seed)
    : scenario(scenario)
    , rng(seed) {
    for (const int address : scenario.devices) {
        devices.emplace(address, Device(address, rng));
    }
    if (scenario.duplicate != 0) {
        twin.emplace(scenario.duplicate, rng);
    }
}

bool LineSimulator::chance(double rate) {
    return rate > 0 && std::uniform_real_distribution<double>(0.0, 1.0)(rng) < rate;
}

void LineSimulator::step() {
    const std::size_t before = generator.bytes().size();
    lastAnswers.clear();
    walk();
    if (chance(scenario.noiseRate)) {
        noise();
    }
    if (!devices.empty() && chance(scenario.commandRate)) {
        command();
    }
    poll(nextAddress);
    nextAddress = nextAddress % scenario.lastAddress + 1;
    lineBytes += generator.bytes().size() - before;
}

// Each check of the walk has its slot of the line's time: in alarm, then normal.
void LineSimulator::walk() {
    const double seconds = static_cast<double>(lineBytes) / velora_protocol::kCharactersPerSecond;
    const double slot = kWalkAlarm + kWalkPause;
    for (std::size_t i = 0; i < scenario.walk.size(); ++i) {
        const double since = seconds - kWalkStart - static_cast<double>(i) * slot;
        const auto device = devices.find(scenario.walk[i].first);
        if (since < 0 || since >= slot || device == devices.end()) {
            continue;
        }
        const bool alarm = since < kWalkAlarm;
        if (walkAlarms.count(i) != (alarm ? 0U : 1U)) {
            continue;
        }
        device->second.setCheck(scenario.walk[i].second, alarm);
        if (alarm) {
            walkAlarms.insert(i);
        } else {
            walkAlarms.erase(i);
        }
    }
}

// Noise on an idle line reads as 0x00 (a break) or 0x80 (a start bit in the middle of a
// character), bytes that fit no frame wherever they stand.
void LineSimulator::noise() {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(randomInt(rng, 1, 6)));
    for (auto& b : bytes) {
        b = randomInt(rng, 0, 1) ? 0x80 : 0x00;
    }
    generator.noise(bytes);
}

// Bytes 1..5 of a device command: groups, flags (reset, loop switches), alarm
// cancellation with the address copy, outputs on, outputs off.
void LineSimulator::command() {
    auto it = devices.begin();
    std::advance(it, randomInt(rng, 0, static_cast<int>(devices.size()) - 1));
    Device& device = it->second;
    const auto address = static_cast<std::uint8_t>(device.address());
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(0x80 | address), 0, 0, 0, 0, 0};
    switch (randomInt(rng, 0, 5)) {
    case 0:
        frame[2] = 0x01;
        break;
    case 1:
        frame[3] = static_cast<std::uint8_t>(0x80 | address);
        break;
    case 2:
        frame[1] = static_cast<std::uint8_t>(1u << randomInt(rng, 0, 7));
        break;
    case 3: {
        static const std::uint8_t switches[] = {0x04, 0x10, 0x20, 0x80, 0x30, 0x84};
        frame[2] = switches[randomInt(rng, 0, 5)];
        break;
    }
    default:
        frame[randomInt(rng, 4, 5)] = static_cast<std::uint8_t>(randomInt(rng, 1, 255));
        frame[3] = address;
        break;
    }
    require(generator.command(address, {frame.begin() + 1, frame.end()}, true));
    device.apply(frame);
}

void LineSimulator::poll(int address) {
    ++pollCount;
    const auto it = devices.find(address);
    const auto stop = scenario.stopAfter.find(address);
    const bool stopped = stop != scenario.stopAfter.end() && pollsOf[address]++ >= stop->second;
    const auto miss = scenario.missRate.find(address);
    const bool missed = miss != scenario.missRate.end() && chance(miss->second);
    if (it == devices.end() || stopped || missed) {
        require(generator.poll(address));
        return;
    }
    Device& device = it->second;
    if (chance(scenario.changeRate)) {
        device.randomChange(rng);
    }
    Answer answer;
    answer.offset = generator.bytes().size() + 1; // after the poll
    answer.address = address;
    if (device.hasNews()) {
        const auto data = device.data();
        require(generator.longAnswer(address, device.header(), data, true));
        device.reported();
        answer.length = data.size() + 4; // header, address, data, CRC
    } else {
        require(generator.shortAnswer(address, device.status()));
        answer.length = 1;
    }
    device.afterPoll();
    if (address == scenario.duplicate) {
        answer.twin = twinAnswer();
    }
    lastAnswers.push_back(std::move(answer));
}

// The second device at the duplicated address lives a life of its own: its state, its
// answers with data, its status byte.
std::vector<std::uint8_t> LineSimulator::twinAnswer() {
    if (chance(scenario.changeRate)) {
        twin->randomChange(rng);
    }
    std::vector<std::uint8_t> bytes{twin->status()};
    if (twin->hasNews()) {
        bytes = {twin->header(), static_cast<std::uint8_t>(twin->address())};
        const auto data = twin->data();
        bytes.insert(bytes.end(), data.begin(), data.end());
        velora_traffic::appendCrc(bytes);
        twin->reported();
    }
    twin->afterPoll();
    return bytes;
}

} // namespace velora_sim
