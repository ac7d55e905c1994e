#include <velora_report/LineTexts.h>

#include <QCoreApplication>

#include <cmath>

namespace velora_report {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("LineTexts", text);
}

} // namespace

QString loadPercent(double load) {
    return tr("%1 %").arg(std::lround(load * 100.0));
}

QString minuteLoadText(const velora_decoding::LineLoad& load) {
    if (load.wholeMinutes() == 0) {
        return QString();
    }
    return tr(" (за минуту от %1 до %2)")
        .arg(std::lround(load.minuteLow() * 100.0))
        .arg(loadPercent(load.minuteHigh()));
}

QString lineLoadText(const velora_decoding::LineTotals& line) {
    return loadPercent(line.load()) + minuteLoadText(line.minuteLoad);
}

QString errorCountsText(const rs485::ErrorCounts& counts) {
    if (!counts.kept) {
        return tr("счётчики ошибок преобразователь не ведёт");
    }
    return tr("ошибки преобразователя: кадра %1, чётности %2, переполнения %3, разрывов %4")
        .arg(counts.framing)
        .arg(counts.parity)
        .arg(counts.overrun)
        .arg(counts.breaks);
}

} // namespace velora_report
