#include "WalkTable.h"

#include <velora_report/DeviceTexts.h>
#include <velora_report/HandOver.h>
#include <velora_session/TimeText.h>

#include <string>

namespace {

using velora_decoding::WalkEntry;

std::string isoOrEmpty(const velora_protocol::Timestamp& time) {
    return time.known() ? velora_session::isoText(time.wallNs) : std::string();
}

std::string clockOrDash(const velora_protocol::Timestamp& time) {
    return time.known() ? velora_session::clockText(time.wallNs) : std::string("—");
}

} // namespace

void printWalkTable(std::ostream& out, const velora_decoding::WalkTest& walk,
                    const velora_report::ConfigComparison& comparison, bool tsv) {
    if (tsv) {
        out << "address\tcheck\tname\talarm\tnormal\tresult\n";
        for (const WalkEntry& e : walk.entries()) {
            out << e.address << '\t' << velora_decoding::walkCheckId(e.check) << '\t'
                << comparison.checkName(e.address, e.check).toStdString() << '\t'
                << isoOrEmpty(e.alarm) << '\t' << isoOrEmpty(e.normal) << '\t'
                << velora_decoding::walkResultId(e.result()) << '\n';
        }
        return;
    }
    out << "Проверка шлейфов: проверено " << walk.passed() << " из " << walk.counted() << ".\n";
    for (const WalkEntry& e : walk.entries()) {
        out << "  " << e.address << ' ' << comparison.checkName(e.address, e.check).toStdString()
            << ": тревога " << clockOrDash(e.alarm) << ", норма " << clockOrDash(e.normal) << " — "
            << velora_report::walkResultText(e.result()).toStdString() << '\n';
    }
    for (const auto& alarm : walk.strayAlarms()) {
        out << "  Тревога на адресе не из конфигурации: " << alarm.address << ' '
            << velora_decoding::walkCheckId(alarm.check) << ", " << clockOrDash(alarm.time) << '\n';
    }
}
