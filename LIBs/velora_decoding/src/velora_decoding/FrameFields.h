#pragma once

#include <velora_protocol/AnswerFields.h>
#include <velora_protocol/Command.h>
#include <velora_protocol/CommandFields.h>
#include <velora_protocol/Frame.h>

#include <array>
#include <cstddef>
#include <iterator>
#include <string>

namespace velora_decoding {

constexpr std::size_t kAnswerFieldCount = std::size(velora_protocol::kAnswerFields);

// A named field of an answer with data and whether the frame sets it.
struct FieldValue {
    const velora_protocol::AnswerField* field;
    bool set;
};

// The named fields of an answer with data, in the order of the table, with their values
// in the frame (bytes beyond the frame read as 0). Allocates nothing.
std::array<FieldValue, kAnswerFieldCount> fields(const velora_protocol::Frame& frame);

constexpr std::size_t kCommandFieldCount = std::size(velora_protocol::kCommandFields);

// A named field of a command and whether the command sets it.
struct CommandFieldValue {
    const velora_protocol::CommandField* field;
    bool set;
};

// The named fields of a command, in the order of the table, with their values in the
// command. Allocates nothing.
std::array<CommandFieldValue, kCommandFieldCount>
commandFields(const velora_protocol::Command& command);

// The field's label, lower case: "шлейф 1: пожар", "тампер".
std::wstring fieldLabel(const velora_protocol::AnswerField& field);

// "групповая команда 3": the label of a group command's bit.
std::wstring groupLabel(int group);

} // namespace velora_decoding
