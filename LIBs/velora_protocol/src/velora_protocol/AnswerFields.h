#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velora_protocol {

// A flag of a frame: bit `bit` of byte `index`.
struct BitPosition {
    int index;
    int bit;

    constexpr std::uint8_t mask() const { return static_cast<std::uint8_t>(1u << bit); }
    // Bytes beyond `size` read as 0.
    constexpr bool isSet(const std::uint8_t* bytes, std::size_t size) const {
        return index >= 0 && static_cast<std::size_t>(index) < size &&
               ((bytes[index] >> bit) & 1) != 0;
    }
};

// The loops and lines whose state an answer with data reports.
enum Point : int { kLoop1, kLoop2, kLine3, kLine4, kPointCount, kNoPoint = kPointCount };

// What a state of a loop or line means.
enum class PointState : std::uint8_t { Unknown, Norm, Alarm, Fault, Off };

// Answer with data: [0] header, [1] address, [2] loop 1, [3] loop 2, [4] tamper, outputs,
// lines 3 and 4, [5] active group commands (bit k = group k), [6] supply, [7] unused,
// [8..9] CRC low, high.
constexpr BitPosition kOkBit{0, 0};
constexpr BitPosition kLongAnswerBit{0, 1};
constexpr BitPosition kDeviceResetBit{0, 2};
constexpr BitPosition kTamperBit{4, 0};
constexpr BitPosition kOutputsFaultBit{4, 1};
constexpr BitPosition kBadSupplyBit{6, 7};
constexpr int kGroupCommandsByte = 5;
constexpr int kGroupCount = 8;

// The byte of a loop's states (loops 1 and 2: bytes 2 and 3); the bits are the same in both.
constexpr int loopByte(int point) {
    return 2 + point - kLoop1;
}
// Bits 0..7 in this order.
enum LoopBit : int {
    kLoopNormBit,
    kLoopFailureBit,
    kLoopWarningBit,
    kLoopFireBit,
    kLoopBlockedBit,
    kLoopSwitchedOnBit,
    kLoopSwitchedOffBit,
    kLoopTriggeredBit
};

// Lines 3 and 4 share byte 4, each state a pair of bits: line 3 the lower, line 4 the upper.
constexpr int kLineByte = 4;
enum LineBit : int { kLineNormBit = 2, kLineFaultBit = 4, kLineTriggeredBit = 6 };
constexpr BitPosition lineBit(int point, LineBit state) {
    return {kLineByte, state + point - kLine3};
}

// A named field of an answer with data. The states of a loop or line are ranked: the set
// one of lowest rank names the state.
struct AnswerField {
    BitPosition position;
    const char* id;      // machine-readable: "loop1.fire"
    const wchar_t* word; // lower-case Russian; of a state, the state alone: "пожар"
    int point;           // kNoPoint for a flag of the device
    int rank;            // among the states of its point
    PointState state;    // what the state means
};

// Every named field of an answer with data, in the order of its bytes and bits.
// clang-format off
inline constexpr AnswerField kAnswerFields[] = {
    {kOkBit, "ok", L"бит OK", kNoPoint, 0, PointState::Unknown},
    {kLongAnswerBit, "long_answer", L"ответ с данными", kNoPoint, 0, PointState::Unknown},
    {kDeviceResetBit, "device_reset", L"сброс от прибора", kNoPoint, 0, PointState::Unknown},
    {{2, kLoopNormBit}, "loop1.norm", L"норма", kLoop1, 7, PointState::Norm},
    {{2, kLoopFailureBit}, "loop1.failure", L"неисправность", kLoop1, 6, PointState::Fault},
    {{2, kLoopWarningBit}, "loop1.warning", L"внимание", kLoop1, 1, PointState::Alarm},
    {{2, kLoopFireBit}, "loop1.fire", L"пожар", kLoop1, 0, PointState::Alarm},
    {{2, kLoopBlockedBit}, "loop1.blocked", L"блокировка", kLoop1, 3, PointState::Off},
    {{2, kLoopSwitchedOnBit}, "loop1.switched_on", L"включение", kLoop1, 4, PointState::Off},
    {{2, kLoopSwitchedOffBit}, "loop1.switched_off", L"отключён", kLoop1, 5, PointState::Off},
    {{2, kLoopTriggeredBit}, "loop1.triggered", L"сработал", kLoop1, 2, PointState::Alarm},
    {{3, kLoopNormBit}, "loop2.norm", L"норма", kLoop2, 7, PointState::Norm},
    {{3, kLoopFailureBit}, "loop2.failure", L"неисправность", kLoop2, 6, PointState::Fault},
    {{3, kLoopWarningBit}, "loop2.warning", L"внимание", kLoop2, 1, PointState::Alarm},
    {{3, kLoopFireBit}, "loop2.fire", L"пожар", kLoop2, 0, PointState::Alarm},
    {{3, kLoopBlockedBit}, "loop2.blocked", L"блокировка", kLoop2, 3, PointState::Off},
    {{3, kLoopSwitchedOnBit}, "loop2.switched_on", L"включение", kLoop2, 4, PointState::Off},
    {{3, kLoopSwitchedOffBit}, "loop2.switched_off", L"отключён", kLoop2, 5, PointState::Off},
    {{3, kLoopTriggeredBit}, "loop2.triggered", L"сработал", kLoop2, 2, PointState::Alarm},
    {kTamperBit, "tamper", L"тампер", kNoPoint, 0, PointState::Unknown},
    {kOutputsFaultBit, "outputs_fault", L"неисправность выходов с контролем", kNoPoint, 0, PointState::Unknown},
    {lineBit(kLine3, kLineNormBit), "line3.norm", L"норма", kLine3, 2, PointState::Norm},
    {lineBit(kLine4, kLineNormBit), "line4.norm", L"норма", kLine4, 2, PointState::Norm},
    {lineBit(kLine3, kLineFaultBit), "line3.fault", L"неисправность", kLine3, 1, PointState::Fault},
    {lineBit(kLine4, kLineFaultBit), "line4.fault", L"неисправность", kLine4, 1, PointState::Fault},
    {lineBit(kLine3, kLineTriggeredBit), "line3.triggered", L"сработала", kLine3, 0, PointState::Alarm},
    {lineBit(kLine4, kLineTriggeredBit), "line4.triggered", L"сработала", kLine4, 0, PointState::Alarm},
    {kBadSupplyBit, "bad_supply_voltage", L"плохое напряжение питания", kNoPoint, 0, PointState::Unknown},
};
// clang-format on

// The names of the points, lower case, as the log writes them.
inline constexpr const wchar_t* kPointNames[kPointCount] = {L"шлейф 1", L"шлейф 2", L"л.с. 3",
                                                            L"л.с. 4"};

// The states of each point by rank, so that the first set one names the state. A point's
// states share one byte.
struct RankedStates {
    std::size_t byte = 0;
    std::array<std::uint8_t, 8> masks{};
    std::array<const AnswerField*, 8> fields{};
    std::size_t count = 0;
};

constexpr std::array<RankedStates, kPointCount> rankStates() {
    std::array<RankedStates, kPointCount> ranked{};
    for (const AnswerField& field : kAnswerFields) {
        if (field.point != kNoPoint) {
            RankedStates& states = ranked[static_cast<std::size_t>(field.point)];
            const auto rank = static_cast<std::size_t>(field.rank);
            states.byte = static_cast<std::size_t>(field.position.index);
            states.masks[rank] = field.position.mask();
            states.fields[rank] = &field;
            ++states.count;
        }
    }
    return ranked;
}

inline constexpr std::array<RankedStates, kPointCount> kRankedStates = rankStates();

// The field that names the state of `point` in an answer's bytes (bytes beyond `size` read
// as 0): its set state of lowest rank; nullptr when none is set.
inline const AnswerField* pointState(const std::uint8_t* bytes, std::size_t size, int point) {
    const RankedStates& states = kRankedStates[static_cast<std::size_t>(point)];
    const std::uint8_t value = states.byte < size ? bytes[states.byte] : 0;
    for (std::size_t rank = 0; rank < states.count; ++rank) {
        if ((value & states.masks[rank]) != 0) {
            return states.fields[rank];
        }
    }
    return nullptr;
}

// The field at `position`; nullptr when the position names none.
constexpr const AnswerField* answerField(BitPosition position) {
    for (const AnswerField& field : kAnswerFields) {
        if (field.position.index == position.index && field.position.bit == position.bit) {
            return &field;
        }
    }
    return nullptr;
}

} // namespace velora_protocol
