#include <LogViewWidget.h>

#include <SessionModel.h>

#include <velora_protocol/Timestamp.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int markerWidth = 17;

// The key sequence that shows the raw data column.
const QString eggSequence = QStringLiteral("DEBUG");

// The bytes of a "89 00 10" text; what is not hexadecimal is dropped.
std::vector<std::uint8_t> parseHex(const QString& text) {
    std::vector<std::uint8_t> bytes;
    for (const QString& part : text.split(' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 16);
        if (ok && value <= 0xff) {
            bytes.push_back(std::uint8_t(value));
        }
    }
    return bytes;
}

bool isNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
        return true;
    default:
        return false;
    }
}

} // namespace

LogViewWidget::LogViewWidget(QWidget* parent)
    : QTableView(parent)
    , sessionModel(new SessionModel(this)) {
    setModel(sessionModel);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView* header = horizontalHeader();
    // The header would otherwise keep every column as wide as its widest character needs.
    header->setMinimumSectionSize(markerWidth);
    header->setStretchLastSection(true);
    setColumnWidth(SessionModel::MarkerColumn, markerWidth);
    setColumnWidth(SessionModel::RawDataColumn, 220);
    setColumnWidth(SessionModel::TimeColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")) + 12);
    setColumnWidth(SessionModel::AddressColumn, 50);

    // Every row is one line of the font: no row is ever measured.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 2);

    hideColumn(SessionModel::RawDataColumn);
    createActions();

    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] {
        setFollowing(verticalScrollBar()->sliderPosition() >= verticalScrollBar()->maximum());
    });
    connect(sessionModel, &QAbstractItemModel::rowsInserted, this, &LogViewWidget::rowsAppended);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { emit currentRecordChanged(currentRecord()); });
    connect(sessionModel, &QAbstractItemModel::modelReset, this,
            [this] { emit currentRecordChanged(currentRecord()); });
}

void LogViewWidget::createActions() {
    followAct = new QAction(tr("Следить за новыми"), this);
    followAct->setCheckable(true);
    followAct->setChecked(true);
    connect(followAct, &QAction::toggled, this, &LogViewWidget::setFollowing);

    rawDataAct = new QAction(tr("Байты кадров"), this);
    rawDataAct->setCheckable(true);
    rawDataAct->setShortcut(QKeySequence(QStringLiteral("Ctrl+B")));
    connect(rawDataAct, &QAction::toggled, this, &LogViewWidget::showRawData);

    copyAct = new QAction(tr("Копировать"), this);
    copyAct->setShortcut(QKeySequence::Copy);
    copyAct->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAct, &QAction::triggered, this, &LogViewWidget::copySelection);

    copyBytesAct = new QAction(tr("Копировать байты"), this);
    connect(copyBytesAct, &QAction::triggered, this, &LogViewWidget::copyBytes);

    addActions({followAct, rawDataAct, copyAct});
}

int LogViewWidget::rowCount() const {
    return sessionModel->rowCount();
}

std::int64_t LogViewWidget::currentRecord() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? std::int64_t(sessionModel->recordAt(index.row())) : -1;
}

void LogViewWidget::addMessage(int type, int address, QString text, QString rawData) {
    const std::vector<std::uint8_t> bytes = parseHex(rawData);
    const auto now = velora_protocol::Timestamp::now();
    const int known = type >= 1 && type <= kMessageTypeCount ? type : kMessageTypeCount + 1;
    sessionModel->appendWithText(
        velora_protocol::Frame::of(MessageType(known), address, bytes, {now, now}), text);
}

void LogViewWidget::clearLog() {
    sessionModel->clear();
}

void LogViewWidget::rowsAppended() {
    if (following) {
        scrollToBottom();
    }
}

void LogViewWidget::setFollowing(bool on) {
    following = on;
    followAct->setChecked(on);
    if (on) {
        scrollToBottom();
    }
}

void LogViewWidget::showRawData(bool on) {
    rawDataAct->setChecked(on);
    setColumnHidden(SessionModel::RawDataColumn, !on);
}

void LogViewWidget::refilter() {
    const std::int64_t record = currentRecord();
    sessionModel->refilter();
    if (record >= 0 && rowCount() > 0) {
        const int row = std::min(sessionModel->rowAtOrAfter(std::uint64_t(record)), rowCount() - 1);
        setCurrentIndex(sessionModel->index(row, SessionModel::TextColumn));
        if (!following) {
            scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
        }
    }
    if (following) {
        scrollToBottom();
    }
}

void LogViewWidget::goToRow(int row) {
    const QModelIndex index = sessionModel->index(row, SessionModel::TextColumn);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    setFollowing(verticalScrollBar()->value() >= verticalScrollBar()->maximum() &&
                 row == rowCount() - 1);
}

bool LogViewWidget::find(const QString& query, bool forward) {
    const int row =
        sessionModel->find(query, currentIndex().isValid() ? currentIndex().row() : -1, forward);
    if (row < 0) {
        return false;
    }
    goToRow(row);
    return true;
}

QString LogViewWidget::selectedText() const {
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const QModelIndex& index : rows) {
        lines << sessionModel->fields(index.row()).join('\t');
    }
    return lines.isEmpty() ? QString() : lines.join('\n') + '\n';
}

void LogViewWidget::copySelection() {
    QApplication::clipboard()->setText(selectedText());
}

void LogViewWidget::copyBytes() {
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const QModelIndex& index : rows) {
        lines << SessionModel::bytesText(sessionModel->record(sessionModel->recordAt(index.row())));
    }
    QApplication::clipboard()->setText(lines.join('\n'));
}

void LogViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    QMenu menu(this);
    menu.addAction(copyAct);
    menu.addAction(copyBytesAct);
    if (index.isValid()) {
        const std::uint64_t record = sessionModel->recordAt(index.row());
        const int address = sessionModel->store().address(record);
        const int type = sessionModel->store().type(record);
        menu.addSeparator();
        if (address > 0) {
            menu.addAction(tr("Показать только адрес %1").arg(address), this,
                           [this, address] { emit showOnlyAddress(address); });
            menu.addAction(tr("Скрыть адрес %1").arg(address), this,
                           [this, address] { emit hideAddress(address); });
        }
        if (type >= 1 && type <= kMessageTypeCount) {
            menu.addAction(tr("Показать только этот тип"), this,
                           [this, type] { emit showOnlyType(type); });
        }
    }
    menu.exec(event->globalPos());
}

void LogViewWidget::keyPressEvent(QKeyEvent* event) {
    QAbstractItemView::keyPressEvent(event);
    if (event->key() == Qt::Key_End) {
        setFollowing(true);
    } else if (isNavigationKey(event->key())) {
        setFollowing(verticalScrollBar()->value() >= verticalScrollBar()->maximum());
    }

    const auto target = unsigned(eggSequence.size());
    if (eggIndex >= target) {
        return;
    }
    if (event->modifiers() != Qt::NoModifier ||
        event->key() != eggSequence.at(int(eggIndex)).unicode()) {
        eggIndex = 0;
    } else {
        ++eggIndex;
    }
    if (eggIndex == target) {
        emit eggActivated();
        showRawData(true);
    }
}
