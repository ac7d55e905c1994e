#include <velora_report/DeviceTexts.h>
#include <velora_report/HandOver.h>
#include <velora_report/ReportHtml.h>

#include <QCoreApplication>
#include <QDateTime>

namespace velora_report {

namespace {

using velora_decoding::AcceptanceReason;
using velora_decoding::WalkEntry;
using velora_decoding::WalkResult;

QString tr(const char* text) {
    return QCoreApplication::translate("HandOver", text);
}

QString number(double value) {
    return QString::number(value, 'f', 1);
}

// A check's cells: address, check, name, alarm, normal, result.
QStringList walkCells(const WalkEntry& entry, const ConfigComparison& comparison) {
    return {QString::number(entry.address),
            QString::fromLatin1(velora_decoding::walkCheckId(entry.check)),
            comparison.checkName(entry.address, entry.check),
            entry.alarm.known() ? timeText(entry.alarm, true) : QString(),
            entry.normal.known() ? timeText(entry.normal, true) : QString(),
            walkResultText(entry.result())};
}

QString reasonText(AcceptanceReason reason) {
    switch (reason) {
    case AcceptanceReason::None:
        break;
    case AcceptanceReason::NeverAnswered:
        return tr("не ответил ни разу");
    case AcceptanceReason::AnswerTime:
        return tr("время ответа выше предела");
    case AcceptanceReason::MissedPolls:
        return tr("пропуски опросов выше предела");
    case AcceptanceReason::Trash:
        return tr("доля мусора выше предела");
    case AcceptanceReason::SilentDevices:
        return tr("молчат приборы из конфигурации");
    case AcceptanceReason::ShortObservation:
        return tr("наблюдение короче предела");
    case AcceptanceReason::FailedDevices:
        return tr("не приняты приборы");
    }
    return tr("принято");
}

QString verdict(bool passed) {
    return passed ? tr("принято") : tr("не принято");
}

} // namespace

QString walkResultText(WalkResult result) {
    switch (result) {
    case WalkResult::Passed:
        return tr("проверено");
    case WalkResult::AlarmOnly:
        return tr("только тревога");
    case WalkResult::NotTested:
        break;
    case WalkResult::NotUsed:
        return tr("не используется");
    }
    return tr("не проверено");
}

QString walkCsv(const velora_decoding::WalkTest& walk, const ConfigComparison& comparison) {
    const auto field = [](QString text) {
        return text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
                   ? QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                         QLatin1Char('"')
                   : text;
    };
    QString csv = tr("Адрес,Проверка,Название,Тревога,Норма,Итог\n");
    for (const WalkEntry& entry : walk.entries()) {
        QStringList cells;
        for (const QString& cell : walkCells(entry, comparison)) {
            cells << field(cell);
        }
        csv += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return csv;
}

namespace html {

QString handOverHead(const HandOver& handOver, const ConfigComparison* comparison) {
    QString rows;
    const auto add = [&rows](const QString& name, const QString& value) {
        if (!value.isEmpty()) {
            rows += row({name, value});
        }
    };
    add(tr("Объект"), handOver.objectName);
    add(tr("Адрес объекта"), handOver.objectAddress);
    add(tr("Наладчик"), handOver.engineer);
    add(tr("Пульт"), comparison != nullptr ? comparison->panel() : QString());
    add(tr("Дата"), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    return pairs(rows);
}

QString walkSection(const velora_decoding::WalkTest& walk, const ConfigComparison& comparison) {
    QString rows;
    for (const WalkEntry& entry : walk.entries()) {
        rows += row(walkCells(entry, comparison));
    }
    QString part = paragraph(tr("Проверено %1 из %2.").arg(walk.passed()).arg(walk.counted())) +
                   table({tr("Прибор"), tr("Проверка"), tr("Название"), tr("Тревога"), tr("Норма"),
                          tr("Итог")},
                         rows);
    QStringList strays;
    for (const auto& alarm : walk.strayAlarms()) {
        strays << QStringLiteral("%1 (%2, %3)")
                      .arg(alarm.address)
                      .arg(QString::fromLatin1(velora_decoding::walkCheckId(alarm.check)),
                           timeText(alarm.time, true));
    }
    if (!strays.isEmpty()) {
        part += paragraph(tr("Тревоги на адресах не из конфигурации (не засчитаны): %1.")
                              .arg(strays.join(QStringLiteral(", "))));
    }
    return part;
}

QString acceptanceSection(const velora_decoding::DeviceTracker& tracker,
                          const ConfigComparison& comparison,
                          const velora_decoding::AcceptanceLimits& limits) {
    const velora_decoding::LineAcceptance line =
        velora_decoding::accept(tracker, comparison.addresses(), limits);
    QString part = paragraph(
        tr("Линия: %1 (%2). Наблюдение %3 мин (предел от %4), мусор %5 % (до %6), молчат "
           "приборов из конфигурации: %7 (до %8).")
            .arg(verdict(line.passed), reasonText(line.reason), number(line.minutes),
                 number(limits.minutes), number(line.trashPercent), number(limits.trashPercent))
            .arg(line.silentDevices)
            .arg(limits.silentDevices));
    QString rows;
    for (const auto& device : line.devices) {
        rows += row({QString::number(device.address), comparison.name(device.address),
                     number(device.answerP99Ms), number(device.missedPercent),
                     verdict(device.passed), reasonText(device.reason)});
    }
    return part + table({tr("Прибор"), tr("Название"),
                         tr("Ответ 99 %, мс (до %1)").arg(number(limits.answerP99Ms)),
                         tr("Пропуски, % (до %1)").arg(number(limits.missedPercent)), tr("Итог"),
                         tr("Почему")},
                        rows);
}

QString signatures() {
    return paragraph(tr("Сдал: ______________________ (наладчик)")) +
           paragraph(tr("Принял: ______________________ (заказчик)"));
}

} // namespace html

} // namespace velora_report
