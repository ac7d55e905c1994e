#include <LogViewWidget.h>

#include <velora_protocol/MessageType.h>

#include <QBrush>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimerEvent>

namespace {

enum Column { MarkerColumn = 0, RawDataColumn = 1, AddressColumn = 2, TextColumn = 3 };
constexpr int markerWidth = 17;

// The key sequence that shows the raw data column.
const QString eggSequence = QStringLiteral("DEBUG");

// Row backgrounds, indexed by message type - 1.
const QBrush typeBackgrounds[] = {
    QBrush(QColor(189, 255, 164), Qt::SolidPattern), // poll
    QBrush(QColor(255, 255, 164), Qt::SolidPattern), // short answer
    QBrush(QColor(255, 204, 164), Qt::SolidPattern), // long answer
    QBrush(QColor(255, 255, 164), Qt::SolidPattern), // its acknowledgement
    QBrush(QColor(164, 204, 255), Qt::SolidPattern), // command
    QBrush(QColor(255, 255, 164), Qt::SolidPattern), // its acknowledgement
    QBrush(QColor(255, 164, 164), Qt::SolidPattern), // trash
};
constexpr int typeCount = int(sizeof typeBackgrounds / sizeof typeBackgrounds[0]);

QTableWidgetItem* newItem(const QString& text, const QBrush* background, bool centred) {
    auto* item = new QTableWidgetItem(text);
    if (background) {
        item->setData(Qt::BackgroundRole, *background);
    }
    if (centred) {
        item->setData(Qt::TextAlignmentRole, int(Qt::AlignCenter));
    }
    return item;
}

} // namespace

LogViewWidget::LogViewWidget(QWidget* parent)
    : QTableWidget(parent)
    , font(QStringLiteral("Courier"), -1, -1, false) {
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    setColumnCount(4);
    // The header would otherwise keep every column as wide as its widest character needs.
    horizontalHeader()->setMinimumSectionSize(markerWidth);
    setColumnWidth(MarkerColumn, markerWidth);
    setColumnWidth(RawDataColumn, 220);
    setColumnWidth(AddressColumn, 50);

    setHorizontalHeaderItem(MarkerColumn, new QTableWidgetItem());
    setHorizontalHeaderItem(RawDataColumn, new QTableWidgetItem(tr("Данные")));
    setHorizontalHeaderItem(AddressColumn, new QTableWidgetItem(tr("Адрес")));
    setHorizontalHeaderItem(TextColumn, new QTableWidgetItem(tr("Событие")));

    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    // New rows are born with their final height, so that setting it costs nothing; the
    // header would otherwise keep rows at least as high as its own font needs.
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setDefaultSectionSize(RowHeight);

    hideColumn(RawDataColumn);
}

void LogViewWidget::addMessage(int type, int address, QString text, QString rawData) {
    const int row = rowCount();
    insertRow(row);

    const bool known = type >= 1 && type <= typeCount;
    const QString marker = QString::fromLatin1(directionMarker(type));
    const QBrush* background = known ? &typeBackgrounds[type - 1] : nullptr;

    QTableWidgetItem* markerItem = newItem(marker, background, true);
    QTableWidgetItem* addressItem =
        newItem(address > 0 ? QString::number(address) : QString(), background, true);
    QTableWidgetItem* textItem = newItem(text, background, false);
    QTableWidgetItem* rawItem = newItem(rawDataShown ? rawData : QString(), background, false);
    if (rawDataShown) {
        rawItem->setData(Qt::FontRole, font);
    }

    setItem(row, MarkerColumn, markerItem);
    setItem(row, AddressColumn, addressItem);
    setItem(row, TextColumn, textItem);
    setItem(row, RawDataColumn, rawItem);
    setRowHeight(row, RowHeight);

    scheduleRefresh();

    if (row > MaxRows - 1) {
        removeRow(0);
    }
}

void LogViewWidget::clearLog() {
    setRowCount(0);
}

void LogViewWidget::keyPressEvent(QKeyEvent* event) {
    QAbstractItemView::keyPressEvent(event);

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
        rawDataShown = true;
        showColumn(RawDataColumn);
    }
}

// The first row after a refresh suspends painting; the timer then scrolls to the newest
// row and repaints once, however many rows came in between.
void LogViewWidget::scheduleRefresh() {
    if (refreshTimer.isActive()) {
        return;
    }
    setUpdatesEnabled(false);
    refreshTimer.start(RefreshIntervalMs, this);
}

void LogViewWidget::refresh() {
    refreshTimer.stop();
    setUpdatesEnabled(true);
    scrollToBottom();
    repaint();
}

void LogViewWidget::timerEvent(QTimerEvent* event) {
    if (event->timerId() == refreshTimer.timerId()) {
        refresh();
        return;
    }
    QTableWidget::timerEvent(event);
}
