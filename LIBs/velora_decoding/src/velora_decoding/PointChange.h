#pragma once

#include <velora_protocol/AnswerFields.h>
#include <velora_protocol/Timestamp.h>

#include <cstdint>
#include <optional>
#include <string>

namespace velora_decoding {

// What a walk test checks on each device: loops 1 and 2, lines 3 and 4 (the answer's
// points, in their order), and the tamper contact.
enum class WalkCheck : std::uint8_t { Loop1, Loop2, Line3, Line4, Tamper };
constexpr int kWalkChecks = 5;
static_assert(static_cast<int>(WalkCheck::Line4) == velora_protocol::kLine4);

// "loop1", "loop2", "line3", "line4", "tamper": the names of machine-readable tables.
const char* walkCheckId(WalkCheck check);
// The check of such a name; nothing for another text.
std::optional<WalkCheck> walkCheckOf(const std::string& id);

// A new state of one check of a device, from an answer with data: a loop or line in its
// state, the tamper contact as Alarm (open) or Norm (closed). The first answer with data
// of a device reports every check.
struct PointChange {
    velora_protocol::Timestamp time;
    int address = 0;
    WalkCheck check = WalkCheck::Loop1;
    velora_protocol::PointState state = velora_protocol::PointState::Unknown;
};

} // namespace velora_decoding
