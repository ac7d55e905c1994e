#include <velora_decoding/FrameFields.h>

namespace velora_decoding {

namespace {

// Whether `command` sets `field`.
bool isSet(const velora_protocol::Command& command, const velora_protocol::CommandField& field) {
    using velora_protocol::CommandPart;
    switch (field.part) {
    case CommandPart::Reset:
        return command.deviceReset();
    case CommandPart::CancelAlarm:
        return command.cancelAlarm();
    case CommandPart::LoopOn:
        return command.loopOn(field.number);
    case CommandPart::LoopOff:
        return command.loopOff(field.number);
    case CommandPart::Group:
        return command.groupCommand(field.number);
    case CommandPart::OutputOn:
        return command.outputOn(field.number);
    case CommandPart::OutputOff:
        return command.outputOff(field.number);
    }
    return false;
}

// Each row of `table` with `read(row)`.
template <typename Value, typename Field, std::size_t N, typename Read>
std::array<Value, N> readRows(const Field (&table)[N], Read read) {
    std::array<Value, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = {&table[i], read(table[i])};
    }
    return values;
}

} // namespace

std::array<FieldValue, kAnswerFieldCount> fields(const velora_protocol::Frame& frame) {
    return readRows<FieldValue>(velora_protocol::kAnswerFields,
                                [&frame](const velora_protocol::AnswerField& field) {
                                    return field.position.isSet(frame.begin(), frame.size);
                                });
}

std::array<CommandFieldValue, kCommandFieldCount>
commandFields(const velora_protocol::Command& command) {
    return readRows<CommandFieldValue>(
        velora_protocol::kCommandFields,
        [&command](const velora_protocol::CommandField& field) { return isSet(command, field); });
}

std::wstring fieldLabel(const velora_protocol::AnswerField& field) {
    if (field.point == velora_protocol::kNoPoint) {
        return field.word;
    }
    return std::wstring(velora_protocol::kPointNames[field.point]) + L": " + field.word;
}

std::wstring groupLabel(int group) {
    return L"групповая команда " + std::to_wstring(group);
}

} // namespace velora_decoding
