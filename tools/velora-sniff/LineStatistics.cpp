#include "LineStatistics.h"

#include <velora_cli/NumberList.h>

#include <iomanip>
#include <set>

LineStatistics::Counts& LineStatistics::at(int address) {
    return perAddress[static_cast<std::size_t>(address) & 0x7F];
}

void LineStatistics::add(const velora_protocol::Frame& frame) {
    switch (frame.type) {
    case mtQuery:
        ++at(frame.address).polls;
        break;
    case mtShortAnswer:
        ++at(frame.address).shortAnswers;
        break;
    case mtLongAnswer:
        ++at(frame.address).longAnswers;
        break;
    case mtCommand:
        ++at(frame.address).commands;
        break;
    case mtLongAnswerAck:
    case mtCommandAck:
        ++at(frame.address).acknowledgements;
        break;
    case mtTrash:
        trashBytes += frame.size;
        break;
    }
}

void LineStatistics::printTable(std::ostream& out) const {
    const char* const headings[] = {"Адрес",     "Опросы",  "Без данных",
                                    "С данными", "Команды", "Подтверждения"};
    // Widths in characters; the headings are Cyrillic, two bytes per character in UTF-8.
    const int widths[] = {5, 10, 12, 12, 10, 15};
    for (std::size_t i = 0; i < 6; ++i) {
        const int characters = static_cast<int>(std::string(headings[i]).size()) / 2;
        out << std::string(static_cast<std::size_t>(widths[i] - characters), ' ') << headings[i];
    }
    out << '\n';
    std::set<int> unanswered;
    for (int address = 1; address < 128; ++address) {
        const Counts& c = perAddress[static_cast<std::size_t>(address)];
        if (c.polls + c.shortAnswers + c.longAnswers + c.commands + c.acknowledgements == 0) {
            continue;
        }
        if (c.polls > 0 && c.shortAnswers + c.longAnswers == 0) {
            unanswered.insert(address);
        }
        const std::uint64_t values[] = {static_cast<std::uint64_t>(address),
                                        c.polls,
                                        c.shortAnswers,
                                        c.longAnswers,
                                        c.commands,
                                        c.acknowledgements};
        for (std::size_t i = 0; i < 6; ++i) {
            out << std::setw(widths[i]) << values[i];
        }
        out << '\n';
    }
    out << "Опрошены без ответа: "
        << (unanswered.empty() ? std::string("нет") : velora_cli::formatNumberList(unanswered))
        << '\n';
    out << "Мусорные байты: " << trashBytes << '\n';
}
