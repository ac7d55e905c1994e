#pragma once

#include <velora_protocol/AnswerFields.h>
#include <velora_protocol/Command.h>

#include <string>
#include <vector>

namespace velora_wireshark {

// A named flag of a long answer: bit `position.bit` of byte `position.index`.
struct AnswerFlag {
    std::string abbrev; // after "velora.answer."
    std::string label;
    velora_protocol::BitPosition position;
};

// A flag of a command as velora_protocol::Command reads it.
struct CommandFlag {
    std::string abbrev; // after "velora.command."
    std::string label;
    bool (*read)(const velora_protocol::Command& command, int number);
    int number;
};

// Every named bit position of a long answer.
const std::vector<AnswerFlag>& answerFlags();
// Every flag of a command in the device layout: reset, loops, alarm, groups and outputs.
const std::vector<CommandFlag>& commandFlags();

} // namespace velora_wireshark
