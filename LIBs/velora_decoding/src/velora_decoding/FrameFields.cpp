#include <velora_decoding/FrameFields.h>

namespace velora_decoding {

std::array<FieldValue, kAnswerFieldCount> fields(const velora_protocol::Frame& frame) {
    std::array<FieldValue, kAnswerFieldCount> values{};
    for (std::size_t i = 0; i < kAnswerFieldCount; ++i) {
        const velora_protocol::AnswerField& field = velora_protocol::kAnswerFields[i];
        values[i] = {&field, field.position.isSet(frame.begin(), frame.size)};
    }
    return values;
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
