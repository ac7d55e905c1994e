#include <velora_decoding/CommandText.h>
#include <velora_decoding/TextParts.h>

#include <string>

namespace velora_decoding {

namespace {

using velora_protocol::Command;

constexpr std::uint8_t kAllOutputs = 0xFF;

// "включить шлейф 1", "... 2", "включить шлейфы 1 и 2", or nothing.
void loopPhrase(TextParts& parts, const wchar_t* verb, bool loop1, bool loop2) {
    if (!loop1 && !loop2) {
        return;
    }
    std::wstring phrase = verb;
    phrase += loop1 && loop2 ? L"ы 1 и 2" : loop1 ? L" 1" : L" 2";
    parts.part(phrase);
}

// "включить выход 3", "включить выходы 1, 3", "включить все выходы", or nothing.
void outputPhrase(TextParts& parts, const wchar_t* verb, std::uint8_t outputs) {
    if (outputs == 0) {
        return;
    }
    std::wstring phrase = verb;
    if (outputs == kAllOutputs) {
        phrase += L" все выходы";
    } else {
        const bool single = (outputs & (outputs - 1)) == 0;
        phrase += single ? L" выход " : L" выходы ";
        phrase += TextParts::bitNumbers(outputs, 1);
    }
    parts.part(phrase);
}

void deviceText(TextParts& parts, const Command& command) {
    const std::uint8_t flags = command.byte(command.flagsIndex());
    loopPhrase(parts, L"включить шлейф", (flags >> Command::kLoop1OnBit) & 1,
               (flags >> Command::kLoop2OnBit) & 1);
    loopPhrase(parts, L"выключить шлейф", (flags >> Command::kLoop1OffBit) & 1,
               (flags >> Command::kLoop2OffBit) & 1);
    outputPhrase(parts, L"включить", command.byte(command.outputsOnIndex()));
    outputPhrase(parts, L"выключить", command.byte(command.outputsOffIndex()));
}

// "Команда прибору 5: ", or for 0 "Команда всем приборам: ".
std::wstring header(const wchar_t* one, int number, const wchar_t* all) {
    return number != 0 ? L"Команда " + (one + (L" " + std::to_wstring(number))) + L": "
                       : L"Команда " + std::wstring(all) + L": ";
}

// The parts both layouts begin with: reset, cancel of the alarm, group commands.
void commonParts(TextParts& parts, bool reset, bool cancel, std::uint8_t groups, int firstGroup) {
    if (reset) {
        parts.part(L"сброс");
    }
    if (cancel) {
        parts.part(L"отмена тревоги");
    }
    parts.groupCommands(groups, firstGroup);
}

std::wstring deviceLayoutText(const Command& command, bool omitAddress) {
    TextParts parts(omitAddress
                        ? L"Команда: "
                        : header(L"прибору", command.deviceAddress(), L"всем приборам").c_str());
    commonParts(parts, command.deviceReset(), command.cancelAlarm(),
                command.byte(Command::kGroupsByte), 0);
    deviceText(parts, command);
    return parts.finish();
}

std::wstring consoleLayoutText(const Command& command) {
    TextParts parts(header(L"пульту", command.consoleNumber(), L"всем пультам").c_str());
    // Groups 4..7 in the low half of the byte.
    commonParts(parts, command.consoleReset(), command.cancelAlarm(),
                command.byte(Command::kGroupsByte) & 0x0F, Command::kConsoleFirstGroup);
    const int device = command.deviceAddress();
    if (device != 0) {
        parts.restartAfter(L"команда прибору " + std::to_wstring(device) + L": ");
        if (command.deviceReset()) {
            parts.part(L"сброс");
        }
        deviceText(parts, command);
    }
    return parts.finish();
}

} // namespace

std::wstring commandText(const Command& command, bool omitAddress) {
    return command.isConsoleFormat() ? consoleLayoutText(command)
                                     : deviceLayoutText(command, omitAddress);
}

} // namespace velora_decoding
