#include <ChangeModel.h>
#include <ChangesDock.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

ChangesDock::ChangesDock(ChangeModel* changes, QWidget* parent)
    : QDockWidget(tr("Изменения"), parent)
    , table(new QTableView(this)) {
    setObjectName(QStringLiteral("changesDock"));
    table->setObjectName(QStringLiteral("changeTable"));
    table->setModel(changes);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 2);
    // Sized once for a time of day and the titles: measuring thousands of rows at every
    // change would cost more than the rest of the dock.
    table->resizeColumnsToContents();
    QFont bold = table->font();
    bold.setBold(true);
    table->setColumnWidth(ChangeModel::TimeColumn,
                          QFontMetrics(bold).horizontalAdvance(QStringLiteral("00:00:00.000")) +
                              12);
    table->horizontalHeader()->setSectionResizeMode(ChangeModel::ChangeColumn,
                                                    QHeaderView::Stretch);
    // The bar's range grows only at the next layout: at the bottom now means before them.
    connect(changes, &QAbstractItemModel::rowsInserted, this, [this] {
        const QScrollBar* bar = table->verticalScrollBar();
        if (bar->value() >= bar->maximum()) {
            table->scrollToBottom();
        }
    });
    setWidget(table);
}
