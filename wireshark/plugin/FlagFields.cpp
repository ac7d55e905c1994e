#include "FlagFields.h"

#include <velora_decoding/FrameFields.h>
#include <velora_decoding/FrameText.h>

namespace velora_wireshark {

namespace {

using velora_decoding::capitalised;
using velora_decoding::toUtf8;
using velora_protocol::Command;

std::string groupLabel(int group) {
    return toUtf8(capitalised(velora_decoding::groupLabel(group)));
}

} // namespace

const std::vector<AnswerFlag>& answerFlags() {
    static const std::vector<AnswerFlag> flags = [] {
        std::vector<AnswerFlag> list;
        for (const velora_protocol::AnswerField& field : velora_protocol::kAnswerFields) {
            list.push_back({field.id, toUtf8(capitalised(velora_decoding::fieldLabel(field))),
                            field.position});
        }
        for (int group = 0; group < velora_protocol::kGroupCount; ++group) {
            list.push_back({"group" + std::to_string(group),
                            groupLabel(group),
                            {velora_protocol::kGroupCommandsByte, group}});
        }
        return list;
    }();
    return flags;
}

const std::vector<CommandFlag>& commandFlags() {
    static const std::vector<CommandFlag> flags = [] {
        std::vector<CommandFlag> list = {
            {"reset", "Сброс", [](const Command& c, int) { return c.deviceReset(); }, 0},
            {"cancel_alarm", "Отмена тревоги",
             [](const Command& c, int) { return c.cancelAlarm(); }, 0},
        };
        for (int loop = 1; loop <= 2; ++loop) {
            const std::string name = "loop" + std::to_string(loop);
            const std::string label = "Шлейф " + std::to_string(loop);
            list.push_back({name + "_on", label + ": включить",
                            [](const Command& c, int n) { return c.loopOn(n); }, loop});
            list.push_back({name + "_off", label + ": отключить",
                            [](const Command& c, int n) { return c.loopOff(n); }, loop});
        }
        for (int group = 0; group < Command::kGroupCount; ++group) {
            list.push_back({"group" + std::to_string(group), groupLabel(group),
                            [](const Command& c, int n) { return c.groupCommand(n); }, group});
        }
        for (int output = 1; output <= Command::kOutputCount; ++output) {
            const std::string number = std::to_string(output);
            list.push_back({"output" + number + "_on", "Выход " + number + ": включить",
                            [](const Command& c, int n) { return c.outputOn(n); }, output});
            list.push_back({"output" + number + "_off", "Выход " + number + ": отключить",
                            [](const Command& c, int n) { return c.outputOff(n); }, output});
        }
        return list;
    }();
    return flags;
}

} // namespace velora_wireshark
