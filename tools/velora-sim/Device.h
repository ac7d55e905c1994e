#pragma once

#include <velora_protocol/AnswerFields.h>

#include <cstdint>
#include <random>
#include <vector>

namespace velora_sim {

// A loop's state byte with the one bit of the state.
constexpr std::uint8_t loopState(velora_protocol::LoopBit bit) {
    return velora_protocol::BitPosition{velora_protocol::loopByte(velora_protocol::kLoop1), bit}
        .mask();
}

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
    // A walk test sets off check 0..4 (loop 1, loop 2, line 3, line 4, tamper) or brings it
    // back to normal.
    void setCheck(int check, bool alarm);
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
    static constexpr std::uint8_t kNormal = loopState(velora_protocol::kLoopNormBit);
    static constexpr std::uint8_t kFault = loopState(velora_protocol::kLoopFailureBit);
    static constexpr std::uint8_t kAttention = loopState(velora_protocol::kLoopWarningBit);
    static constexpr std::uint8_t kFire = loopState(velora_protocol::kLoopFireBit);
    static constexpr std::uint8_t kBlocked = loopState(velora_protocol::kLoopBlockedBit);
    static constexpr std::uint8_t kSwitchingOn = loopState(velora_protocol::kLoopSwitchedOnBit);
    static constexpr std::uint8_t kOff = loopState(velora_protocol::kLoopSwitchedOffBit);
    static constexpr std::uint8_t kTriggered = loopState(velora_protocol::kLoopTriggeredBit);

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
