#pragma once

#include <cstdint>

namespace velora_protocol {

// The part of a command that a named field reads, as velora_protocol::Command holds it.
enum class CommandPart : std::uint8_t {
    Reset,
    CancelAlarm,
    LoopOn,
    LoopOff,
    Group,
    OutputOn,
    OutputOff
};

// A named field of a command.
struct CommandField {
    const char* id;       // machine-readable: "loop1_on"
    const wchar_t* label; // lower-case Russian: "шлейф 1: включить"
    CommandPart part;
    int number; // loop 1..2, group 0..7, output 1..8; 0 for reset and cancel alarm
};

// Every named field of a command: reset, cancel alarm, the loops, the groups, the outputs.
// clang-format off
inline constexpr CommandField kCommandFields[] = {
    {"reset", L"сброс", CommandPart::Reset, 0},
    {"cancel_alarm", L"отмена тревоги", CommandPart::CancelAlarm, 0},
    {"loop1_on", L"шлейф 1: включить", CommandPart::LoopOn, 1},
    {"loop1_off", L"шлейф 1: отключить", CommandPart::LoopOff, 1},
    {"loop2_on", L"шлейф 2: включить", CommandPart::LoopOn, 2},
    {"loop2_off", L"шлейф 2: отключить", CommandPart::LoopOff, 2},
    {"group0", L"групповая команда 0", CommandPart::Group, 0},
    {"group1", L"групповая команда 1", CommandPart::Group, 1},
    {"group2", L"групповая команда 2", CommandPart::Group, 2},
    {"group3", L"групповая команда 3", CommandPart::Group, 3},
    {"group4", L"групповая команда 4", CommandPart::Group, 4},
    {"group5", L"групповая команда 5", CommandPart::Group, 5},
    {"group6", L"групповая команда 6", CommandPart::Group, 6},
    {"group7", L"групповая команда 7", CommandPart::Group, 7},
    {"output1_on", L"выход 1: включить", CommandPart::OutputOn, 1},
    {"output1_off", L"выход 1: отключить", CommandPart::OutputOff, 1},
    {"output2_on", L"выход 2: включить", CommandPart::OutputOn, 2},
    {"output2_off", L"выход 2: отключить", CommandPart::OutputOff, 2},
    {"output3_on", L"выход 3: включить", CommandPart::OutputOn, 3},
    {"output3_off", L"выход 3: отключить", CommandPart::OutputOff, 3},
    {"output4_on", L"выход 4: включить", CommandPart::OutputOn, 4},
    {"output4_off", L"выход 4: отключить", CommandPart::OutputOff, 4},
    {"output5_on", L"выход 5: включить", CommandPart::OutputOn, 5},
    {"output5_off", L"выход 5: отключить", CommandPart::OutputOff, 5},
    {"output6_on", L"выход 6: включить", CommandPart::OutputOn, 6},
    {"output6_off", L"выход 6: отключить", CommandPart::OutputOff, 6},
    {"output7_on", L"выход 7: включить", CommandPart::OutputOn, 7},
    {"output7_off", L"выход 7: отключить", CommandPart::OutputOff, 7},
    {"output8_on", L"выход 8: включить", CommandPart::OutputOn, 8},
    {"output8_off", L"выход 8: отключить", CommandPart::OutputOff, 8},
};
// clang-format on

} // namespace velora_protocol
