#include <velora_protocol/AnswerFields.h>

namespace velora_protocol {

const AnswerField* pointState(const std::uint8_t* bytes, std::size_t size, int point) {
    const AnswerField* named = nullptr;
    for (const AnswerField& field : kAnswerFields) {
        if (field.point == point && (named == nullptr || field.rank < named->rank) &&
            field.position.isSet(bytes, size)) {
            named = &field;
        }
    }
    return named;
}

const AnswerField* answerField(BitPosition position) {
    for (const AnswerField& field : kAnswerFields) {
        if (field.position.index == position.index && field.position.bit == position.bit) {
            return &field;
        }
    }
    return nullptr;
}

} // namespace velora_protocol
