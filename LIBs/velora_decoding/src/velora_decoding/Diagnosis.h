#pragma once

#include <velora_protocol/Timestamp.h>

#include <cstdint>
#include <string>

namespace velora_decoding {

// What can be wrong with a line, most severe first.
enum class DiagnosisKind : std::uint8_t {
    LineSignal,       // read at the wrong speed or with A and B swapped
    NoPanel,          // bytes but no polls, or nothing at all
    DuplicateAddress, // two devices answer the polls of one address
    Noise,            // trash tied to no address
    Intermittent,     // a device misses some polls without being lost
    SlowAnswer,       // a device answers far later than the line's others
};
constexpr int kDiagnosisKinds = 6;

// "line_signal", "no_panel", "duplicate_address", "noise", "intermittent", "slow_answer":
// the names of machine-readable output.
const char* diagnosisId(DiagnosisKind kind);

// Why a line's bytes are mostly trash, as far as their bit patterns tell.
enum class SignalCause : std::uint8_t {
    OtherSpeed, // a rate other than 19200 baud
    LowerSpeed, // a slower rate: a long start bit clears bit 0 of nearly every byte
    SwappedAB,  // inverted levels: bit 0 of nearly every byte set
};

// One finding with its evidence. `first` and `last` are the times of the first and newest
// evidence, `count` how much of it was seen; the figures depend on the kind:
// - LineSignal: trash bytes and all bytes of the blocks that were mostly trash;
// - NoPanel: the longest time without polls (ns, 0 when the line ended without a byte),
//   and whether no byte came at all;
// - DuplicateAddress: garbled answers and polls of the address (with those the garbled
//   answers made unreadable);
// - Noise: the bursts are the count, their trash bytes the figure;
// - Intermittent: missed polls and polls of the address;
// - SlowAnswer: the address's median answer time and the line's (ns).
struct Diagnosis {
    DiagnosisKind kind = DiagnosisKind::LineSignal;
    int address = 0; // 0: the whole line
    velora_protocol::Timestamp first;
    velora_protocol::Timestamp last;
    std::uint64_t count = 0;
    std::int64_t figure = 0;
    std::int64_t reference = 0;
    SignalCause cause = SignalCause::OtherSpeed;
    bool silent = false;
    // Of LineSignal and Noise: the characters with a bad stop bit the converter counted,
    // -1 where it keeps no count (a recording, a pseudo-terminal).
    std::int64_t framingErrors = -1;
};

// A diagnosis kind's short Russian name: "Два прибора на одном адресе" and so on.
const char* diagnosisTitle(DiagnosisKind kind);

// The Russian text of a diagnosis: what was seen and what to check.
std::string diagnosisText(const Diagnosis& diagnosis);

} // namespace velora_decoding
