#include "DeviceTable.h"

#include <velora_cli/NumberList.h>
#include <velora_report/DeviceTexts.h>

#include <iomanip>
#include <set>
#include <sstream>
#include <string>

namespace {

using velora_decoding::DeviceStatus;
using velora_decoding::DeviceTracker;
using velora_decoding::Presence;
using velora_report::Verdict;

const char* verdictId(Verdict verdict) {
    switch (verdict) {
    case Verdict::Answering:
        return "answering";
    case Verdict::Silent:
        return "silent";
    case Verdict::NeverPolled:
        return "never_polled";
    case Verdict::NotConfigured:
        return "not_configured";
    case Verdict::Irrelevant:
        break;
    }
    return "";
}

std::string milliseconds(std::int64_t ns) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << static_cast<double>(ns) / 1e6;
    return text.str();
}

void printTsv(std::ostream& out, const DeviceTracker& tracker,
              const velora_report::ConfigComparison* comparison) {
    out << "address\tpolls\tshort_answers\tlong_answers\tcommands\tmissed\tpresence"
           "\tlong_answer_acks\tcommand_acks\tmiss_run\talarm\tfault"
           "\tanswer_min_ms\tanswer_mean_ms\tanswer_p99_ms\tanswer_max_ms\tconfig\tname\n";
    for (int address : velora_report::shownAddresses(tracker, comparison)) {
        const DeviceStatus& d = tracker.device(address);
        out << address << '\t' << d.polls << '\t' << d.shortAnswers << '\t' << d.longAnswers << '\t'
            << d.commands << '\t' << d.missed << '\t' << velora_decoding::presenceId(d.presence)
            << '\t' << d.longAnswerAcks << '\t' << d.commandAcks << '\t' << d.missRun << '\t'
            << d.alarm() << '\t' << d.fault();
        const auto& times = d.answerTimes;
        for (std::int64_t ns :
             {times.minNs(), times.meanNs(), times.percentileNs(0.99), times.maxNs()}) {
            out << '\t' << (times.count() == 0 ? std::string() : milliseconds(ns));
        }
        out << '\t' << (comparison ? verdictId(comparison->verdict(address, d)) : "") << '\t'
            << (comparison ? comparison->name(address).toStdString() : std::string()) << '\n';
    }
}

// Right-aligned in `width` characters; UTF-8 letters take one.
void cell(std::ostream& out, const std::string& text, int width) {
    const auto characters = static_cast<int>(QString::fromStdString(text).size());
    out << std::string(static_cast<std::size_t>(std::max(width - characters, 0)), ' ') << text;
}

std::string addressList(const std::set<int>& addresses) {
    return addresses.empty() ? std::string("нет") : velora_cli::formatNumberList(addresses);
}

void printText(std::ostream& out, const DeviceTracker& tracker,
               const velora_report::ConfigComparison* comparison) {
    const char* const headings[] = {"Адрес",   "Опросы",        "Без данных", "С данными",
                                    "Команды", "Подтверждения", "Пропуски",   "Присутствие"};
    const int widths[] = {5, 10, 12, 12, 10, 15, 10, 17};
    for (std::size_t i = 0; i < std::size(headings); ++i) {
        cell(out, headings[i], widths[i]);
    }
    out << '\n';
    std::set<int> silent;
    std::set<int> lost;
    for (int address : velora_report::shownAddresses(tracker, comparison)) {
        const DeviceStatus& d = tracker.device(address);
        if (d.presence == Presence::Silent) {
            silent.insert(address);
        }
        if (d.presence == Presence::Lost) {
            lost.insert(address);
        }
        const std::uint64_t values[] = {
            static_cast<std::uint64_t>(address), d.polls, d.shortAnswers, d.longAnswers, d.commands,
            d.longAnswerAcks + d.commandAcks,    d.missed};
        for (std::size_t i = 0; i < std::size(values); ++i) {
            cell(out, std::to_string(values[i]), widths[i]);
        }
        cell(out, velora_report::presenceText(d.presence).toStdString(), widths[7]);
        out << '\n';
    }
    const auto& line = tracker.line();
    out << "Опрошены без ответа: " << addressList(silent) << '\n'
        << "Пропали: " << addressList(lost) << '\n'
        << "Мусорные байты: " << line.trashBytes << '\n'
        << "Кадров: " << line.frames << ", отвечено опросов: " << std::fixed << std::setprecision(1)
        << line.answeredPercent() << " %\n";
    if (!comparison) {
        return;
    }
    for (Verdict verdict : {Verdict::Silent, Verdict::NeverPolled, Verdict::NotConfigured}) {
        std::set<int> addresses;
        for (int a = DeviceTracker::kFirstAddress; a <= DeviceTracker::kLastAddress; ++a) {
            if (comparison->verdict(a, tracker.device(a)) == verdict) {
                addresses.insert(a);
            }
        }
        out << velora_report::verdictText(verdict).toStdString() << ": " << addressList(addresses)
            << '\n';
    }
}

} // namespace

void printDeviceTable(std::ostream& out, const DeviceTracker& tracker,
                      const velora_report::ConfigComparison* comparison, bool tsv) {
    if (tsv) {
        printTsv(out, tracker, comparison);
    } else {
        printText(out, tracker, comparison);
    }
}
