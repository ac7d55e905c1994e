#pragma once

#include <rs485/ErrorCounts.h>
#include <velora_decoding/DeviceTracker.h>
#include <velora_report/ConfigComparison.h>
#include <velora_report/HandOver.h>

#include <QString>

namespace velora_report {

// The line report an engineer hands over, in Russian. Its first page is the summary: the
// time span, how many devices answer, are silent, lost, in alarm or in fault, and with a
// configuration the configured devices missing and the unconfigured ones answering, the
// line's load and, for a live line, the converter's error counts (`converter`). Then the
// device table (its header on every page), the state changes grouped per device and,
// when `allChanges`, every change with its time as an appendix. What is wrong with the
// line follows the summary. A hand-over adds its head before the summary, the walk test and
// the acceptance after the diagnoses (both need the configuration), and the signatures.
QString lineReportHtml(const velora_decoding::DeviceTracker& tracker,
                       const ConfigComparison* comparison, bool allChanges = false,
                       const rs485::ErrorCounts* converter = nullptr,
                       const HandOver* handOver = nullptr);

// Prints the report's HTML into a PDF file; needs a QGuiApplication, and may run on another
// thread than its. Returns the reason of a failure, or an empty text.
QString printReport(const QString& path, const QString& html);

// lineReportHtml() and printReport(). On failure returns false with the reason in *error.
bool writeLineReport(const QString& path, const velora_decoding::DeviceTracker& tracker,
                     const ConfigComparison* comparison, QString* error, bool allChanges = false,
                     const rs485::ErrorCounts* converter = nullptr,
                     const HandOver* handOver = nullptr);

} // namespace velora_report
