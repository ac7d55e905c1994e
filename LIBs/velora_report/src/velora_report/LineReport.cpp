#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>
#include <velora_report/LineReport.h>

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace velora_report {

namespace {

using velora_decoding::DeviceTracker;

QString tr(const char* text) {
    return QCoreApplication::translate("LineReport", text);
}

QString cell(const QString& text, const QString& tag = QStringLiteral("td")) {
    return QStringLiteral("<%1>%2</%1>").arg(tag, text.toHtmlEscaped());
}

QString row(const QString& name, const QString& value) {
    return QStringLiteral("<tr>") + cell(name) + cell(value) + QStringLiteral("</tr>");
}

QString table(const QString& rows) {
    return QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">") + rows +
           QStringLiteral("</table>");
}

QString totals(const DeviceTracker& tracker) {
    const auto& line = tracker.line();
    return table(row(tr("Начало"), timeText(line.first, true)) +
                 row(tr("Конец"), timeText(line.last, true)) +
                 row(tr("Длительность, с"), QString::number(line.seconds(), 'f', 1)) +
                 row(tr("Байты"), QString::number(line.bytes)) +
                 row(tr("Кадры"), QString::number(line.frames)) +
                 row(tr("Байты помех"), QString::number(line.trashBytes)) +
                 row(tr("Кадров в секунду"), QString::number(line.framesPerSecond(), 'f', 1)) +
                 row(tr("Отвеченные опросы, %"), QString::number(line.answeredPercent(), 'f', 1)));
}

QString devices(const DeviceTracker& tracker, const ConfigComparison* comparison) {
    QString rows = QStringLiteral("<tr>");
    for (int column = 0; column < kColumnCount; ++column) {
        rows += cell(columnTitle(column), QStringLiteral("th"));
    }
    rows += QStringLiteral("</tr>");
    for (int address : shownAddresses(tracker, comparison)) {
        const DeviceCell device{address, tracker.device(address), comparison};
        rows += QStringLiteral("<tr>");
        for (int column = 0; column < kColumnCount; ++column) {
            rows += cell(device.text(column));
        }
        rows += QStringLiteral("</tr>");
    }
    return table(rows);
}

QString comparisonPart(const DeviceTracker& tracker, const ConfigComparison& comparison) {
    const Verdict verdicts[] = {Verdict::Answering, Verdict::Silent, Verdict::NeverPolled,
                                Verdict::NotConfigured};
    QString rows;
    for (Verdict verdict : verdicts) {
        QStringList addresses;
        for (int a = DeviceTracker::kFirstAddress; a <= DeviceTracker::kLastAddress; ++a) {
            if (comparison.verdict(a, tracker.device(a)) == verdict) {
                const QString name = comparison.name(a);
                addresses << (name.isEmpty() ? QString::number(a)
                                             : QStringLiteral("%1 (%2)").arg(a).arg(name));
            }
        }
        rows += row(verdictText(verdict),
                    addresses.isEmpty() ? tr("нет") : addresses.join(QStringLiteral(", ")));
    }
    return QStringLiteral("<p>%1</p>").arg((tr("Файл: ") + comparison.path()).toHtmlEscaped()) +
           table(rows);
}

QString changes(const DeviceTracker& tracker) {
    if (tracker.changes().empty()) {
        return QStringLiteral("<p>%1</p>").arg(tr("Изменений не было."));
    }
    QString html;
    if (tracker.droppedChanges() > 0) {
        html +=
            QStringLiteral("<p>%1</p>")
                .arg(tr("Более ранние изменения не сохранены: %1.").arg(tracker.droppedChanges()));
    }
    QString rows = QStringLiteral("<tr>") + cell(tr("Время"), QStringLiteral("th")) +
                   cell(tr("Изменение"), QStringLiteral("th")) + QStringLiteral("</tr>");
    for (const auto& change : tracker.changes()) {
        rows += row(timeText(change.time, true), changeText(change));
    }
    return html + table(rows);
}

} // namespace

QString lineReportHtml(const DeviceTracker& tracker, const ConfigComparison* comparison) {
    QString html = QStringLiteral("<html><body><h1>%1</h1>").arg(tr("Отчёт о линии «Velora»"));
    html += QStringLiteral("<h2>%1</h2>").arg(tr("Линия")) + totals(tracker);
    html += QStringLiteral("<h2>%1</h2>").arg(tr("Приборы")) + devices(tracker, comparison);
    if (comparison != nullptr && comparison->loaded()) {
        html += QStringLiteral("<h2>%1</h2>").arg(tr("Сравнение с конфигурацией")) +
                comparisonPart(tracker, *comparison);
    }
    html += QStringLiteral("<h2>%1</h2>").arg(tr("Изменения состояния")) + changes(tracker);
    return html + QStringLiteral("</body></html>");
}

bool writeLineReport(const QString& path, const DeviceTracker& tracker,
                     const ConfigComparison* comparison, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = tr("Не удаётся записать файл %1: %2").arg(path, file.errorString());
        return false;
    }
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    // The device table needs the width.
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setTitle(tr("Отчёт о линии «Velora»"));
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSize(8);
    document.setDefaultFont(font);
    document.setHtml(lineReportHtml(tracker, comparison));
    document.print(&writer);
    if (!file.flush()) {
        *error = tr("Не удаётся записать файл %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace velora_report
