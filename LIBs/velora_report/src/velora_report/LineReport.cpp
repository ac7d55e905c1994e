#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>
#include <velora_report/LineReport.h>
#include <velora_report/LineTexts.h>
#include <velora_report/ReportHtml.h>

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <map>
#include <vector>

namespace velora_report {

namespace {

using velora_decoding::DeviceChange;
using velora_decoding::DeviceTracker;
using velora_decoding::Presence;

QString tr(const char* text) {
    return QCoreApplication::translate("LineReport", text);
}

// "2 (Склад)", or "2" for a device without a name.
QString deviceLabel(int address, const ConfigComparison* comparison) {
    const QString name = comparison != nullptr ? comparison->name(address) : QString();
    return name.isEmpty() ? QString::number(address)
                          : QStringLiteral("%1 (%2)").arg(address).arg(name);
}

// "3: 2 (Склад), 7, 9" or "нет".
QString countAndList(const QStringList& devices) {
    return devices.isEmpty() ? tr("нет")
                             : QStringLiteral("%1: %2").arg(devices.size()).arg(devices.join(", "));
}

QString durationText(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    return tr("%1 ч %2 мин %3 с").arg(whole / 3600).arg(whole / 60 % 60).arg(whole % 60);
}

// The devices in each state, as labels.
struct Census {
    QStringList answering, silent, lost, alarm, fault, missing, unconfigured;

    Census(const DeviceTracker& tracker, const ConfigComparison* comparison) {
        for (int a : shownAddresses(tracker, comparison)) {
            const auto& device = tracker.device(a);
            const QString label = deviceLabel(a, comparison);
            switch (device.presence) {
            case Presence::Answering:
                answering << label;
                break;
            case Presence::Silent:
                silent << label;
                break;
            case Presence::Lost:
                lost << label;
                break;
            case Presence::NotPolled:
                break;
            }
            if (device.alarm()) {
                alarm << label;
            }
            if (device.fault()) {
                fault << label;
            }
            const Verdict verdict =
                comparison != nullptr ? comparison->verdict(a, device) : Verdict::Irrelevant;
            if (verdict == Verdict::Silent || verdict == Verdict::NeverPolled) {
                missing << label;
            } else if (verdict == Verdict::NotConfigured) {
                unconfigured << label;
            }
        }
    }
};

QString summary(const DeviceTracker& tracker, const ConfigComparison* comparison,
                const rs485::ErrorCounts* converter) {
    const auto& line = tracker.line();
    const Census census(tracker, comparison);
    const auto pair = [](const QString& name, const QString& value) {
        return html::row({name, value});
    };
    QString rows = pair(tr("Начало"), timeText(line.first, true)) +
                   pair(tr("Конец"), timeText(line.last, true)) +
                   pair(tr("Длительность"), durationText(line.seconds())) +
                   pair(tr("Отвечают"), QString::number(census.answering.size())) +
                   pair(tr("Молчат"), countAndList(census.silent)) +
                   pair(tr("Пропали"), countAndList(census.lost)) +
                   pair(tr("В тревоге"), countAndList(census.alarm)) +
                   pair(tr("В неисправности"), countAndList(census.fault));
    if (comparison != nullptr && comparison->loaded()) {
        rows += pair(tr("Конфигурация"), comparison->path()) +
                pair(tr("Из конфигурации не отвечают"), countAndList(census.missing)) +
                pair(tr("Отвечают, но нет в конфигурации"), countAndList(census.unconfigured));
    }
    rows += pair(tr("Кадры"), QString::number(line.frames)) +
            pair(tr("Байты помех"), QString::number(line.trashBytes)) +
            pair(tr("Загрузка линии"), lineLoadText(line)) +
            pair(tr("Отвеченные опросы, %"), QString::number(line.answeredPercent(), 'f', 1)) +
            pair(tr("Изменения состояния"), QString::number(tracker.changes().size()));
    if (converter != nullptr) {
        rows += pair(tr("Преобразователь"), errorCountsText(*converter));
    }
    return html::pairs(rows);
}

QString devices(const DeviceTracker& tracker, const ConfigComparison* comparison) {
    const bool compared = comparison != nullptr && comparison->loaded();
    std::vector<int> columns;
    QStringList header;
    // The last answers, of any length, follow the table: its rows stay one line each.
    for (int column = 0; column < kColumnCount; ++column) {
        if (column != kAnswerColumn && (compared || !needsComparison(column))) {
            columns.push_back(column);
            header << columnTitle(column);
        }
    }
    QString rows;
    for (int address : shownAddresses(tracker, comparison)) {
        const DeviceCell device{address, tracker.device(address), comparison};
        QStringList cells;
        for (int column : columns) {
            cells << device.text(column);
        }
        rows += html::row(cells);
    }
    return html::table(header, rows);
}

// Each device's last answer with data, as a paragraph: "12 (Склад): Ответ: …".
QString lastAnswers(const DeviceTracker& tracker, const ConfigComparison* comparison) {
    QString part;
    for (int address : shownAddresses(tracker, comparison)) {
        const auto& device = tracker.device(address);
        if (device.lastAnswer.type == mtLongAnswer) {
            part += html::paragraph(QStringLiteral("%1: %2").arg(
                deviceLabel(address, comparison),
                DeviceCell{address, device, comparison}.text(kAnswerColumn)));
        }
    }
    return part.isEmpty() ? html::paragraph(tr("Ответов с данными не было.")) : part;
}

// Each device's changes: how many, the first and the last, and of what kind.
QString changesByDevice(const DeviceTracker& tracker, const ConfigComparison* comparison) {
    struct Group {
        int count = 0;
        velora_protocol::Timestamp first, last;
        std::map<QString, int> kinds;
    };
    std::map<int, Group> groups;
    for (const DeviceChange& change : tracker.changes()) {
        Group& group = groups[change.address];
        if (group.count++ == 0) {
            group.first = change.time;
        }
        group.last = change.time;
        ++group.kinds[changeWhat(change)];
    }
    QString rows;
    for (const auto& [address, group] : groups) {
        QStringList kinds;
        for (const auto& [what, count] : group.kinds) {
            kinds << QStringLiteral("%1 %2").arg(what).arg(count);
        }
        rows += html::row({deviceLabel(address, comparison), QString::number(group.count),
                           timeText(group.first, true), timeText(group.last, true),
                           kinds.join(QStringLiteral(", "))});
    }
    return html::table({tr("Прибор"), tr("Изменений"), tr("Первое"), tr("Последнее"), tr("Какие")},
                       rows);
}

QString allChangesList(const DeviceTracker& tracker) {
    QString rows;
    for (const DeviceChange& change : tracker.changes()) {
        rows += html::row({timeText(change.time, true), changeText(change)});
    }
    return html::table({tr("Время"), tr("Изменение")}, rows);
}

QString changes(const DeviceTracker& tracker, const ConfigComparison* comparison, bool allChanges) {
    if (tracker.changes().empty()) {
        return html::paragraph(tr("Изменений не было."));
    }
    QString part;
    if (tracker.droppedChanges() > 0) {
        part += html::paragraph(
            tr("Более ранние изменения не сохранены: %1.").arg(tracker.droppedChanges()));
    }
    part += changesByDevice(tracker, comparison);
    if (allChanges) {
        part += html::heading(tr("Приложение: все изменения состояния"), true) +
                allChangesList(tracker);
    }
    return part;
}

// What is wrong with the line, most severe first, each a paragraph with what to check.
QString diagnoses(const DeviceTracker& tracker) {
    const std::vector<velora_decoding::Diagnosis> found = tracker.diagnosis().diagnoses();
    if (found.empty()) {
        return html::paragraph(tr("Неполадок линии не найдено."));
    }
    QString part;
    for (const velora_decoding::Diagnosis& d : found) {
        QString head = QString::fromUtf8(velora_decoding::diagnosisTitle(d.kind));
        if (d.address != 0) {
            head += tr(", адрес %1").arg(d.address);
        }
        if (d.first.known()) {
            head += tr(" (%1 — %2, раз: %3)")
                        .arg(timeText(d.first, true), timeText(d.last, true))
                        .arg(d.count);
        }
        part += html::paragraph(head + QStringLiteral(". ") +
                                QString::fromStdString(velora_decoding::diagnosisText(d)));
    }
    return part;
}

} // namespace

// The walk test and the acceptance of a hand-over with a configuration.
QString commissioning(const DeviceTracker& tracker, const ConfigComparison* comparison,
                      const HandOver& handOver) {
    if (comparison == nullptr || !comparison->loaded()) {
        return QString();
    }
    QString part;
    if (handOver.walk != nullptr) {
        part +=
            html::heading(tr("Проверка шлейфов")) + html::walkSection(*handOver.walk, *comparison);
    }
    if (handOver.limits) {
        part += html::heading(tr("Приёмка линии")) +
                html::acceptanceSection(tracker, *comparison, *handOver.limits);
    }
    return part;
}

QString lineReportHtml(const DeviceTracker& tracker, const ConfigComparison* comparison,
                       bool allChanges, const rs485::ErrorCounts* converter,
                       const HandOver* handOver) {
    QString html = QStringLiteral("<html><body><h1>%1</h1>").arg(tr("Отчёт о линии «Velora»"));
    if (handOver != nullptr) {
        html += html::handOverHead(*handOver, comparison);
    }
    html += summary(tracker, comparison, converter);
    html += html::heading(tr("Диагностика")) + diagnoses(tracker);
    if (handOver != nullptr) {
        html += commissioning(tracker, comparison, *handOver);
    }
    html += html::heading(tr("Приборы"), true) + devices(tracker, comparison);
    html += html::heading(tr("Последние ответы с данными")) + lastAnswers(tracker, comparison);
    html += html::heading(tr("Изменения состояния по приборам")) +
            changes(tracker, comparison, allChanges);
    if (handOver != nullptr) {
        html += html::signatures();
    }
    return html + QStringLiteral("</body></html>");
}

QString printReport(const QString& path, const QString& html) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return tr("Не удаётся записать файл %1: %2").arg(path, file.errorString());
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
    document.setHtml(html);
    document.print(&writer);
    if (!file.flush()) {
        return tr("Не удаётся записать файл %1: %2").arg(path, file.errorString());
    }
    return QString();
}

bool writeLineReport(const QString& path, const DeviceTracker& tracker,
                     const ConfigComparison* comparison, QString* error, bool allChanges,
                     const rs485::ErrorCounts* converter, const HandOver* handOver) {
    *error =
        printReport(path, lineReportHtml(tracker, comparison, allChanges, converter, handOver));
    return error->isEmpty();
}

} // namespace velora_report
