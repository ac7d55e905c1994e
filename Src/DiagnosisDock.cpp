#include <DiagnosisDock.h>
#include <DiagnosisModel.h>

#include <QHeaderView>
#include <QTableView>

DiagnosisDock::DiagnosisDock(DiagnosisModel* diagnoses, QWidget* parent)
    : QDockWidget(tr("Диагностика"), parent)
    , model(diagnoses)
    , table(new QTableView(this)) {
    setObjectName(QStringLiteral("diagnosisDock"));
    table->setObjectName(QStringLiteral("diagnosisTable"));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(true);
    table->setToolTip(tr("Выберите строку, чтобы показать в журнале записи этой находки"));
    table->verticalHeader()->hide();
    // A finding's text may take more lines than the dock shows.
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The figures take their width; the text, of any length, takes the rest and wraps.
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(DiagnosisModel::TextColumn, QHeaderView::Stretch);
    // A few findings at most: their rows are measured at every refresh.
    connect(model, &QAbstractItemModel::modelReset, this, &DiagnosisDock::fitRows);
    connect(model, &QAbstractItemModel::dataChanged, this, &DiagnosisDock::fitRows);
    connect(header, &QHeaderView::sectionResized, this, &DiagnosisDock::fitRows);
    connect(table, &QTableView::clicked, this,
            [this](const QModelIndex& index) { choose(index.row()); });
    connect(table, &QTableView::activated, this,
            [this](const QModelIndex& index) { choose(index.row()); });
    setWidget(table);
}

void DiagnosisDock::choose(int row) {
    if (row >= 0 && row < model->rowCount()) {
        emit evidenceChosen(model->evidence(row), model->title(row));
    }
}

void DiagnosisDock::fitRows() {
    table->resizeRowsToContents();
}
