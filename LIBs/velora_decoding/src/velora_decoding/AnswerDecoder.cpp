#include <velora_decoding/AnswerDecoder.h>
#include <velora_decoding/FrameText.h>
#include <velora_decoding/TextParts.h>

#include <velora_protocol/AnswerFields.h>

namespace velora_decoding {

namespace {

using namespace velora_protocol;

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
    void flagPart(TextParts& parts, BitPosition position, bool capital = false) const {
        if (isSet(position)) {
            const std::wstring word = answerField(position)->word;
            parts.part(capital ? capitalised(word) : word);
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
    answer.flagPart(parts, kDeviceResetBit);
    answer.flagPart(parts, kOkBit);
    answer.flagPart(parts, kTamperBit);
    for (int point = 0; point < kPointCount; ++point) {
        answer.pointPart(parts, point);
    }
    answer.flagPart(parts, kOutputsFaultBit);
    answer.flagPart(parts, kBadSupplyBit, true);
    parts.groupCommands(answer.byte(kGroupCommandsByte), 0);
    return parts.finish();
}

} // namespace velora_decoding

std::wstring AnswerDecoder::text() const {
    return velora_decoding::answerText(bytes.data(), bytes.size());
}
