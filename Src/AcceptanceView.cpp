#include <AcceptanceView.h>

#include <velora_report/ConfigComparison.h>
#include <velora_report/HandOver.h>

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { DeviceColumn, AnswerColumn, MissedColumn, ResultColumn, ReasonColumn, ColumnCount };

QString number(double value) {
    return QString::number(value, 'f', 1);
}

QColor verdictColor(bool passed) {
    return passed ? QColor(0xc8, 0xf0, 0xc8) : QColor(0xff, 0xc8, 0xc8);
}

} // namespace

AcceptanceView::AcceptanceView(QWidget* parent)
    : QWidget(parent)
    , line(new QLabel(this))
    , table(new QTableWidget(0, ColumnCount, this)) {
    line->setObjectName(QStringLiteral("lineAcceptance"));
    line->setWordWrap(true);
    line->setAutoFillBackground(true);
    table->setObjectName(QStringLiteral("acceptanceTable"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 2);
    table->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(line);
    layout->addWidget(table, 1);
}

QString AcceptanceView::lineText() const {
    return line->text();
}

void AcceptanceView::showAcceptance(const velora_decoding::LineAcceptance& acceptance,
                                    const velora_report::ConfigComparison& comparison,
                                    const velora_decoding::AcceptanceLimits& limits) {
    line->setText(tr("Линия: %1 (%2). Наблюдение %3 мин (от %4), мусор %5 % (до %6), молчат "
                     "приборов из конфигурации: %7 (до %8).")
                      .arg(velora_report::acceptanceVerdictText(acceptance.passed),
                           velora_report::acceptanceReasonText(acceptance.reason),
                           number(acceptance.minutes), number(limits.minutes),
                           number(acceptance.trashPercent), number(limits.trashPercent))
                      .arg(acceptance.silentDevices)
                      .arg(limits.silentDevices));
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, verdictColor(acceptance.passed));
    line->setPalette(palette);

    table->setHorizontalHeaderLabels(
        {tr("Прибор"), tr("Ответ 99 %, мс (до %1)").arg(number(limits.answerP99Ms)),
         tr("Пропуски, % (до %1)").arg(number(limits.missedPercent)), tr("Итог"), tr("Почему")});
    const bool sized = table->rowCount() == int(acceptance.devices.size());
    table->setRowCount(int(acceptance.devices.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const velora_decoding::DeviceAcceptance& device = acceptance.devices[std::size_t(row)];
        const QString name = comparison.name(device.address);
        const QStringList cells = {name.isEmpty()
                                       ? QString::number(device.address)
                                       : QStringLiteral("%1 %2").arg(device.address).arg(name),
                                   number(device.answerP99Ms), number(device.missedPercent),
                                   velora_report::acceptanceVerdictText(device.passed),
                                   velora_report::acceptanceReasonText(device.reason)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == ResultColumn) {
                item->setBackground(verdictColor(device.passed));
            }
            table->setItem(row, column, item);
        }
    }
    if (!sized) {
        table->resizeColumnsToContents();
    }
}
