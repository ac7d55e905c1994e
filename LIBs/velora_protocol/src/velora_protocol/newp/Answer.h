#pragma once

#include <velora_protocol/TAnswer.h>

#include <cstdint>
#include <vector>

namespace velora_protocol::newp {

// A flag of an answer: bit `bit` of answer byte `index`.
struct BitPosition {
    std::int32_t index;
    std::int32_t bit;

    // The flag within its byte.
    constexpr std::uint8_t mask() const { return static_cast<std::uint8_t>(1u << bit); }
};

// The state bits of a loop, the same in byte 2 (loop 1) and byte 3 (loop 2).
enum LoopBit : std::int32_t {
    kLoopNormBit = 0,
    kLoopFailureBit = 1,
    kLoopWarningBit = 2,
    kLoopFireBit = 3,
    kLoopBlockedBit = 4,
    kLoopSwitchedOnBit = 5,
    kLoopSwitchedOffBit = 6,
    kLoopTriggeredBit = 7,
};

// Long answer of a device: [0] header, [1] address, [2..7] data, [8..9] CRC low, high.
class Answer : public TAnswer<10> {
public:
    // Header byte.
    static constexpr BitPosition kOkBit{0, 0};
    static constexpr BitPosition kLongAnswerBit{0, 1};
    static constexpr BitPosition kDeviceReset{0, 2};
    // Byte 2: state bits of loop 1.
    static constexpr BitPosition kLoop1Norm{2, kLoopNormBit};
    static constexpr BitPosition kLoop1Failure{2, kLoopFailureBit};
    static constexpr BitPosition kLoop1Warning{2, kLoopWarningBit};
    static constexpr BitPosition kLoop1Fire{2, kLoopFireBit};
    static constexpr BitPosition kLoop1Blocked{2, kLoopBlockedBit};
    static constexpr BitPosition kLoop1SwitchedOn{2, kLoopSwitchedOnBit};
    static constexpr BitPosition kLoop1SwitchedOff{2, kLoopSwitchedOffBit};
    static constexpr BitPosition kLoop1Triggered{2, kLoopTriggeredBit};
    // Byte 3: state bits of loop 2.
    static constexpr BitPosition kLoop2Norm{3, kLoopNormBit};
    static constexpr BitPosition kLoop2Failure{3, kLoopFailureBit};
    static constexpr BitPosition kLoop2Warning{3, kLoopWarningBit};
    static constexpr BitPosition kLoop2Fire{3, kLoopFireBit};
    static constexpr BitPosition kLoop2Blocked{3, kLoopBlockedBit};
    static constexpr BitPosition kLoop2SwitchedOn{3, kLoopSwitchedOnBit};
    static constexpr BitPosition kLoop2SwitchedOff{3, kLoopSwitchedOffBit};
    static constexpr BitPosition kLoop2Triggered{3, kLoopTriggeredBit};
    // Byte 4: tamper, supervised outputs, lines 3 and 4.
    static constexpr BitPosition kTamper{4, 0};
    static constexpr BitPosition kOutputsFault{4, 1};
    static constexpr BitPosition kLine3Norm{4, 2};
    static constexpr BitPosition kLine4Norm{4, 3};
    static constexpr BitPosition kLine3Fault{4, 4};
    static constexpr BitPosition kLine4Fault{4, 5};
    static constexpr BitPosition kLine3Triggered{4, 6};
    static constexpr BitPosition kLine4Triggered{4, 7};
    // Byte 6.
    static constexpr BitPosition kBadSupplyVoltage{6, 7};

    // Byte 5 carries the active group commands as a whole, bit k for group k.
    static constexpr std::int32_t kGroupCommandsIndex = 5;

    explicit Answer(const std::vector<std::uint8_t>& bytes);
    ~Answer() override = default;

    // Word `index`, or 0 when the answer is shorter.
    std::uint16_t word(std::size_t index) const { return index < words.size() ? words[index] : 0; }
    bool isSet(BitPosition position) const {
        return position.index >= 0 && position.bit >= 0 &&
               ((word(static_cast<std::size_t>(position.index)) >> position.bit) & 1) != 0;
    }
};

} // namespace velora_protocol::newp
