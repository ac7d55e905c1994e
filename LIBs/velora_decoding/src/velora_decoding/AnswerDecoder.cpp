#include <velora_decoding/AnswerDecoder.h>

#include <config_velora_tq4/TextParts.h>

using namespace velora_protocol::newp;

namespace {

struct StateWord {
    int bit;
    const wchar_t* word;
};

// Loop state bits by priority: the first set bit names the state.
constexpr StateWord kLoopStates[] = {
    {kLoopFireBit, L"пожар"},
    {kLoopWarningBit, L"внимание"},
    {kLoopTriggeredBit, L"сработал"},
    {kLoopBlockedBit, L"блокировка"},
    {kLoopSwitchedOnBit, L"включение"},
    {kLoopSwitchedOffBit, L"отключён"},
    {kLoopFailureBit, L"неисправность"},
    {kLoopNormBit, L"норма"},
};

void statePart(config_velora_tq4::TextParts& parts, const wchar_t* prefix, const wchar_t* word) {
    if (word != nullptr) {
        parts.part(std::wstring(prefix) + word);
    }
}

} // namespace

const wchar_t* AnswerDecoder::loopState(int index) const {
    for (const StateWord& state : kLoopStates) {
        if (isSet(BitPosition{index, state.bit})) {
            return state.word;
        }
    }
    return nullptr;
}

const wchar_t* AnswerDecoder::lineState(BitPosition triggered, BitPosition fault,
                                        BitPosition norm) const {
    if (isSet(triggered)) {
        return L"сработала";
    }
    if (isSet(fault)) {
        return L"неисправность";
    }
    if (isSet(norm)) {
        return L"норма";
    }
    return nullptr;
}

std::wstring AnswerDecoder::text() const {
    config_velora_tq4::TextParts parts(L"Ответ: ");
    if (isSet(kDeviceReset)) {
        parts.part(L"сброс от прибора");
    }
    if (isSet(kOkBit)) {
        parts.part(L"бит OK");
    }
    if (isSet(kTamper)) {
        parts.part(L"тампер");
    }
    statePart(parts, L"шлейф 1 - ", loopState(kLoop1Norm.index));
    statePart(parts, L"шлейф 2 - ", loopState(kLoop2Norm.index));
    statePart(parts, L"л.с. 3 - ", lineState(kLine3Triggered, kLine3Fault, kLine3Norm));
    statePart(parts, L"л.с. 4 - ", lineState(kLine4Triggered, kLine4Fault, kLine4Norm));
    if (isSet(kOutputsFault)) {
        parts.part(L"неисправность выходов с контролем");
    }
    if (isSet(kBadSupplyVoltage)) {
        parts.part(L"Плохое напряжение питания");
    }
    parts.groupCommands(static_cast<std::uint8_t>(word(kGroupCommandsIndex)), 0);
    return parts.finish();
}
