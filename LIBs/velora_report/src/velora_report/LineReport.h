#pragma once

#include <velora_decoding/DeviceTracker.h>
#include <velora_report/ConfigComparison.h>

#include <QString>

namespace velora_report {

// The line report an engineer hands over: the time span, the line's totals, the device
// table, the comparison with the configuration (when one is given) and the state changes
// with their times, in Russian.
QString lineReportHtml(const velora_decoding::DeviceTracker& tracker,
                       const ConfigComparison* comparison);

// Prints the report into a PDF file; needs a QGuiApplication. On failure returns false
// with the reason in *error.
bool writeLineReport(const QString& path, const velora_decoding::DeviceTracker& tracker,
                     const ConfigComparison* comparison, QString* error);

} // namespace velora_report
