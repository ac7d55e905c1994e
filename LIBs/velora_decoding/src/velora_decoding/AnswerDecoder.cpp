#include <velora_decoding/AnswerDecoder.h>
#include <velora_decoding/FrameText.h>
#include <velora_decoding/TextParts.h>

#include <velora_protocol/AnswerFields.h>

namespace velora_decoding {

namespace {

using namespace velora_protocol;

// The flags the text names, found in the table when compiling.
constexpr const AnswerField* kReset = answerField(kDeviceResetBit);
constexpr const AnswerField* kOk = answerField(kOkBit);
constexpr const AnswerField* kTamper = answerField(kTamperBit);
constexpr const AnswerField* kOutputsFault = answerField(kOutputsFaultBit);
constexpr const AnswerField* kBadSupply = answerField(kBadSupplyBit);

class Answer {
public:
    Answer(const std::uint8_t* bytes, std::size_t size)
        : bytes(bytes)
        , size(size) {}

    bool isSet(BitPosition position) const { return position.isSet(bytes, size); }
    std::uint8_t byte(int index) const {
        return static_cast<std::size_t>(index) < size ? bytes[index] : 0;
    }

    // "шлейф 1 - пожар" when the point's state is known.
    void pointPart(TextParts& parts, int point) const {
        if (const AnswerField* state = pointState(bytes, size, point)) {
            parts.part(std::wstring(kPointNames[point]) + L" - " + state->word);
        }
    }
    void flagPart(TextParts& parts, const AnswerField* field, bool capital = false) const {
        if (isSet(field->position)) {
            parts.part(capital ? capitalised(field->word) : field->word);
        }
    }

private:
    const std::uint8_t* bytes;
    std::size_t size;
};

} // namespace

std::wstring answerText(const std::uint8_t* bytes, std::size_t size) {
    const Answer answer(bytes, size);
    TextParts parts(L"Ответ: ");
    answer.flagPart(parts, kReset);
    answer.flagPart(parts, kOk);
    answer.flagPart(parts, kTamper);
    for (int point = 0; point < kPointCount; ++point) {
        answer.pointPart(parts, point);
    }
    answer.flagPart(parts, kOutputsFault);
    answer.flagPart(parts, kBadSupply, true);
    parts.groupCommands(answer.byte(kGroupCommandsByte), 0);
    return parts.finish();
}

} // namespace velora_decoding

std::wstring AnswerDecoder::text() const {
    return velora_decoding::answerText(bytes.data(), bytes.size());
}
