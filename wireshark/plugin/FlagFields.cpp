#include "FlagFields.h"

namespace velora_wireshark {

namespace {

using config_velora_tq4::Command;
using velora_protocol::newp::Answer;

void addLoopFlags(std::vector<AnswerFlag>& flags, int loop,
                  const velora_protocol::newp::BitPosition& norm) {
    static const char* const states[][2] = {
        {"norm", "норма"},
        {"failure", "неисправность"},
        {"warning", "внимание"},
        {"fire", "пожар"},
        {"blocked", "блокировка"},
        {"switched_on", "включение"},
        {"switched_off", "отключён"},
        {"triggered", "сработал"},
    };
    const std::string prefix = "loop" + std::to_string(loop);
    for (int bit = 0; bit < 8; ++bit) {
        flags.push_back({prefix + "." + states[bit][0],
                         "Шлейф " + std::to_string(loop) + ": " + states[bit][1],
                         {norm.index, norm.bit + bit}});
    }
}

} // namespace

const std::vector<AnswerFlag>& answerFlags() {
    static const std::vector<AnswerFlag> flags = [] {
        std::vector<AnswerFlag> list = {
            {"ok", "Бит OK", Answer::kOkBit},
            {"long_answer", "Ответ с данными", Answer::kLongAnswerBit},
            {"device_reset", "Сброс от прибора", Answer::kDeviceReset},
        };
        addLoopFlags(list, 1, Answer::kLoop1Norm);
        addLoopFlags(list, 2, Answer::kLoop2Norm);
        const std::vector<AnswerFlag> rest = {
            {"tamper", "Тампер", Answer::kTamper},
            {"outputs_fault", "Неисправность выходов с контролем", Answer::kOutputsFault},
            {"line3.norm", "Л.с. 3: норма", Answer::kLine3Norm},
            {"line4.norm", "Л.с. 4: норма", Answer::kLine4Norm},
            {"line3.fault", "Л.с. 3: неисправность", Answer::kLine3Fault},
            {"line4.fault", "Л.с. 4: неисправность", Answer::kLine4Fault},
            {"line3.triggered", "Л.с. 3: сработала", Answer::kLine3Triggered},
            {"line4.triggered", "Л.с. 4: сработала", Answer::kLine4Triggered},
            {"bad_supply_voltage", "Плохое напряжение питания", Answer::kBadSupplyVoltage},
        };
        list.insert(list.end(), rest.begin(), rest.end());
        for (int group = 0; group < 8; ++group) {
            list.push_back({"group" + std::to_string(group),
                            "Групповая команда " + std::to_string(group),
                            {Answer::kGroupCommandsIndex, group}});
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
        for (int group = 0; group < 8; ++group) {
            list.push_back({"group" + std::to_string(group),
                            "Групповая команда " + std::to_string(group),
                            [](const Command& c, int n) { return c.groupCommand(n); }, group});
        }
        for (int output = 1; output <= 8; ++output) {
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
