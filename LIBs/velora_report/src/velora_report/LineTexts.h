#pragma once

#include <rs485/ErrorCounts.h>
#include <velora_decoding/LineLoad.h>
#include <velora_decoding/LineTotals.h>

#include <QString>

namespace velora_report {

// The line's load and the converter's error counts in Russian: the status bar,
// velora-sniff's table and the line report say the same.

// "42 %": a load as a percentage.
QString loadPercent(double load);
// " (за минуту от 40 до 45 %)", the lowest and highest load of a whole minute; empty
// before the first minute has passed.
QString minuteLoadText(const velora_decoding::LineLoad& load);
// The whole line's load with its minutes: "42 % (за минуту от 40 до 45 %)".
QString lineLoadText(const velora_decoding::LineTotals& line);
// "ошибки преобразователя: кадра 0, чётности 0, переполнения 0, разрывов 0", or that the
// converter keeps no such counts.
QString errorCountsText(const rs485::ErrorCounts& counts);

} // namespace velora_report
