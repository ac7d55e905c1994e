#pragma once

#include <velora_protocol/AnswerFields.h>

#include <string>
#include <vector>

namespace velora_wireshark {

// A named flag of a long answer: bit `position.bit` of byte `position.index`.
struct AnswerFlag {
    std::string abbrev; // after "velora.answer."
    std::string label;
    velora_protocol::BitPosition position;
};

// A named field of a command, one per row of velora_protocol::kCommandFields.
struct CommandFlag {
    std::string abbrev; // after "velora.command."
    std::string label;
};

// Every named bit position of a long answer.
const std::vector<AnswerFlag>& answerFlags();
// Every flag of a command in the device layout: reset, loops, alarm, groups and outputs.
const std::vector<CommandFlag>& commandFlags();

} // namespace velora_wireshark
