#pragma once

#include <velora_protocol/newp/Answer.h>

#include <cstdint>
#include <random>
#include <vector>

namespace velora_sim {

// A device on the line: the state it reports in an answer with data, and the effect of
// the panel's commands on it. It answers with data when something changed since its
// last such answer, otherwise with its one status byte.
class Device {
public:
    Device(int address, std::mt19937& rng);

    int address() const { return ownAddress; }
    bool hasNews() const { return news; }

    // One random change: an alarm or fault of a loop or line, its restoration, tamper,
    // a fault of the supervised outputs, bad supply voltage or its end.
    void randomChange(std::mt19937& rng);
    // Command bytes 0..5 in the device layout.
    void apply(const std::vector<std::uint8_t>& command);
    // A loop that was switched on reaches its normal state after one report.
    void afterPoll();

    std::uint8_t status() const { return statusByte; }
    std::uint8_t header() const;
    // Answer bytes 2..7.
    std::vector<std::uint8_t> data() const;
    // The answer with data has been sent: the reset flag is reported once.
    void reported();

    // Loop states: one state bit of answer bytes 2 and 3 each.
    using Answer = velora_protocol::newp::Answer;
    static constexpr std::uint8_t kNormal = Answer::kLoop1Norm.mask();
    static constexpr std::uint8_t kFault = Answer::kLoop1Failure.mask();
    static constexpr std::uint8_t kAttention = Answer::kLoop1Warning.mask();
    static constexpr std::uint8_t kFire = Answer::kLoop1Fire.mask();
    static constexpr std::uint8_t kBlocked = Answer::kLoop1Blocked.mask();
    static constexpr std::uint8_t kSwitchingOn = Answer::kLoop1SwitchedOn.mask();
    static constexpr std::uint8_t kOff = Answer::kLoop1SwitchedOff.mask();
    static constexpr std::uint8_t kTriggered = Answer::kLoop1Triggered.mask();

    enum class LineState { Normal, Fault, Triggered };

private:
    int ownAddress;
    std::uint8_t statusByte;
    std::uint8_t loops[2] = {kNormal, kNormal};
    LineState lines[2] = {LineState::Normal, LineState::Normal};
    bool tamper = false;
    bool outputsFault = false;
    bool badSupply = false;
    bool resetReported = false;
    std::uint8_t groups = 0;
    bool news = true; // a device reports its state on its first poll
};

} // namespace velora_sim
