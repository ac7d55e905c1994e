// Any bytes of any length as an answer frame and as a command in both layouts: decoding
// must give a complete line and never read or write outside the bytes. The setters, driven
// by the input, must keep the command's length.
#include "FuzzCheck.h"

#include <config_velora_tq4/Command.h>
#include <velora_decoding/AnswerDecoder.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using config_velora_tq4::Command;

namespace {

bool endsWithFullStop(const std::wstring& text) {
    return !text.empty() && text.back() == L'.';
}

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Each input byte picks a setter and its argument, so that arguments outside the ranges
// are tried too.
void applySetters(Command& command, const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t b : bytes) {
        const int argument = static_cast<int>(b >> 3) - 8; // -8..23
        const bool on = b & 1;
        switch ((b >> 1) & 3) {
        case 0:
            command.setGroupCommand(argument, on);
            command.setLoopOn(argument, on);
            break;
        case 1:
            command.setOutputOn(argument, on);
            command.setLoopOff(argument, !on);
            break;
        case 2:
            command.setOutputOff(argument, on);
            command.setCancelAlarm(on);
            break;
        default:
            command.setDeviceAddress(argument * 8);
            command.setConsoleNumber(argument * 4);
            command.setDeviceReset(on);
            command.setConsoleReset(!on);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);

    const std::wstring answer = AnswerDecoder(bytes).text();
    FUZZ_CHECK(startsWith(answer, L"Ответ: ") && endsWithFullStop(answer));

    for (const bool console : {false, true}) {
        Command command(bytes, console);
        FUZZ_CHECK(command.data() == bytes);
        for (const bool omitAddress : {false, true}) {
            const std::wstring text = command.text(omitAddress);
            FUZZ_CHECK(startsWith(text, L"Команда") && endsWithFullStop(text));
        }
        applySetters(command, bytes);
        FUZZ_CHECK(command.data().size() == size);
        FUZZ_CHECK(endsWithFullStop(command.text(false)));
    }
    return 0;
}
