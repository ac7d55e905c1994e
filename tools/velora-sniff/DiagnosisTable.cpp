#include "DiagnosisTable.h"

#include <velora_session/TimeText.h>

#include <string>

namespace {

using velora_decoding::Diagnosis;

std::string isoOrEmpty(const velora_protocol::Timestamp& time) {
    return time.known() ? velora_session::isoText(time.wallNs) : std::string();
}

std::string span(const Diagnosis& d) {
    if (!d.first.known()) {
        return {};
    }
    return " (" + velora_session::dateTimeText(d.first.wallNs) + " — " +
           velora_session::dateTimeText(d.last.wallNs) + ", раз: " + std::to_string(d.count) + ')';
}

} // namespace

void printDiagnosisTable(std::ostream& out, const velora_decoding::DeviceTracker& tracker,
                         bool tsv) {
    const std::vector<Diagnosis> found = tracker.diagnosis().diagnoses();
    if (tsv) {
        out << "kind\taddress\tfirst\tlast\tcount\ttext\n";
        for (const Diagnosis& d : found) {
            out << velora_decoding::diagnosisId(d.kind) << '\t' << d.address << '\t'
                << isoOrEmpty(d.first) << '\t' << isoOrEmpty(d.last) << '\t' << d.count << '\t'
                << velora_decoding::diagnosisText(d) << '\n';
        }
        return;
    }
    if (found.empty()) {
        out << "Диагностика: неполадок линии не найдено.\n";
        return;
    }
    out << "Диагностика:\n";
    for (const Diagnosis& d : found) {
        out << "  " << velora_decoding::diagnosisTitle(d.kind)
            << (d.address != 0 ? ", адрес " + std::to_string(d.address) : std::string()) << span(d)
            << ".\n    " << velora_decoding::diagnosisText(d) << '\n';
    }
}
