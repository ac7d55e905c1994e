#include <LogViewWidget.h>

#include <CellDelegate.h>
#include <SessionModel.h>

#include <velora_protocol/Timestamp.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

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
    , sessionModel(new SessionModel(this))
    , sessionBar(new QScrollBar(Qt::Vertical))
    , selection(*sessionModel, *this) {
    setModel(sessionModel);
    setItemDelegate(new CellDelegate(this));
    // The delegate paints the grid.
    setShowGrid(false);
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
    // As wide as its title needs, at least.
    setColumnWidth(SessionModel::AddressColumn,
                   std::max(50, header->sectionSizeHint(SessionModel::AddressColumn)));

    // Every row is one line of the font: no row is ever measured.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 2);

    hideColumn(SessionModel::RawDataColumn);
    createActions();

    // The table's own scroll bar, over the window, gives its place to the session's.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addScrollBarWidget(sessionBar, Qt::AlignTop);
    verticalScrollBar()->hide();
    connect(sessionBar, &QScrollBar::valueChanged, this, &LogViewWidget::sessionBarMoved);
    connect(sessionBar, &QScrollBar::actionTriggered, this,
            [this] { setFollowing(sessionBar->sliderPosition() >= sessionBar->maximum()); });
    // The wheel, the touchpad and the keys scroll the table's own one. An action is
    // announced before the value moves: the slider position is where it goes.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { setFollowing(atSessionEnd(verticalScrollBar()->sliderPosition())); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &LogViewWidget::updateSessionBar);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &LogViewWidget::updateSessionBar);
    connect(sessionModel, &SessionModel::sessionRowsChanged, this,
            &LogViewWidget::updateSessionBar);

    connect(sessionModel, &QAbstractItemModel::rowsInserted, this, &LogViewWidget::rowsAppended);
    connect(sessionModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int from, int to) { selection.stash(from, to); });
    connect(sessionModel, &QAbstractItemModel::modelReset, this, &LogViewWidget::windowReset);
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
    return int(sessionModel->sessionRows());
}

std::int64_t LogViewWidget::currentRecord() const {
    const QModelIndex index = currentIndex();
    if (!index.isValid()) {
        return current;
    }
    return std::int64_t(sessionModel->recordAt(sessionRow(index)));
}

void LogViewWidget::currentChanged(const QModelIndex& now, const QModelIndex& previous) {
    QTableView::currentChanged(now, previous);
    if (now.isValid()) {
        current = currentRecord();
    }
}

QItemSelectionModel::SelectionFlags LogViewWidget::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags flags = QTableView::selectionCommand(index, event);
    if (flags & QItemSelectionModel::Clear) {
        selection.clear();
    }
    return flags;
}

void LogViewWidget::selectAll() {
    selection.clear();
    selection.addOutsideWindow();
    QTableView::selectAll();
}

void LogViewWidget::moveWindowTo(std::uint64_t row) {
    movingWindow = true;
    selection.stash(0, sessionModel->rowCount() - 1);
    sessionModel->moveWindowTo(row);
    movingWindow = false;
}

void LogViewWidget::windowReset() {
    if (!movingWindow) {
        // A new session or a new filter: session rows mean other frames now.
        selection.clear();
        if (sessionModel->sessionRows() == 0) {
            current = -1;
        }
        return;
    }
    if (current >= 0) {
        const std::uint64_t row = sessionModel->rowAtOrAfter(std::uint64_t(current));
        const int inWindow = sessionModel->windowRow(row);
        if (inWindow >= 0 && sessionModel->recordAt(row) == std::uint64_t(current)) {
            selectionModel()->setCurrentIndex(
                sessionModel->index(inWindow, SessionModel::TextColumn),
                QItemSelectionModel::NoUpdate);
        }
    }
    selection.restoreInWindow();
}

std::uint64_t LogViewWidget::sessionRow(const QModelIndex& index) const {
    return sessionModel->windowStart() + std::uint64_t(index.row());
}

bool LogViewWidget::isOlderRow(const QModelIndex& index) const {
    return index.isValid() && sessionRow(index) + 1 < sessionModel->sessionRows();
}

bool LogViewWidget::atSessionEnd() const {
    return atSessionEnd(verticalScrollBar()->value());
}

bool LogViewWidget::atSessionEnd(int tablePosition) const {
    return sessionModel->windowAtEnd() && tablePosition >= verticalScrollBar()->maximum();
}

void LogViewWidget::updateSessionBar() {
    const QScrollBar* table = verticalScrollBar();
    const std::uint64_t start = sessionModel->windowStart();
    const std::uint64_t outside =
        sessionModel->sessionRows() - std::uint64_t(sessionModel->rowCount());
    syncing = true;
    sessionBar->setRange(0, int(std::uint64_t(table->maximum()) + outside));
    sessionBar->setPageStep(table->pageStep());
    sessionBar->setSingleStep(table->singleStep());
    sessionBar->setValue(int(start + std::uint64_t(table->value())));
    syncing = false;

    // Near an edge of the window that is not an edge of the session, the window moves on
    // once the current event is done.
    const int margin = sessionModel->windowLimit() / 8;
    const bool nearTop = start > 0 && table->value() < margin;
    const bool nearBottom =
        !sessionModel->windowAtEnd() && table->maximum() - table->value() < margin;
    if ((nearTop || nearBottom) && !recentrePending) {
        recentrePending = true;
        QTimer::singleShot(0, this, [this] {
            recentrePending = false;
            sessionBarMoved(sessionBar->value());
        });
    }
}

void LogViewWidget::sessionBarMoved(int value) {
    if (syncing) {
        return;
    }
    const auto row = std::uint64_t(value);
    moveWindowTo(row);
    verticalScrollBar()->setValue(int(row - sessionModel->windowStart()));
    updateSessionBar();
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

int LogViewWidget::rowsOnScreen() const {
    return viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize());
}

void LogViewWidget::rowsAppended() {
    if (following) {
        scrollToBottom();
    }
}

void LogViewWidget::setFollowing(bool on) {
    following = on;
    followAct->setChecked(on);
    sessionModel->setTail(on);
    if (on) {
        const std::uint64_t rows = sessionModel->sessionRows();
        if (rows > 0) {
            moveWindowTo(rows - 1);
        }
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
    const std::uint64_t rows = sessionModel->sessionRows();
    if (record >= 0 && rows > 0) {
        const std::uint64_t row =
            std::min(sessionModel->rowAtOrAfter(std::uint64_t(record)), rows - 1);
        current = std::int64_t(sessionModel->recordAt(row));
        if (!following) {
            moveWindowTo(row);
            scrollTo(sessionModel->index(sessionModel->windowRow(row), SessionModel::TextColumn),
                     QAbstractItemView::PositionAtCenter);
        }
        const int inWindow = sessionModel->windowRow(row);
        if (inWindow >= 0) {
            setCurrentIndex(sessionModel->index(inWindow, SessionModel::TextColumn));
        }
    }
    if (following) {
        scrollToBottom();
    }
}

void LogViewWidget::goToRow(std::uint64_t row) {
    moveWindowTo(row);
    const QModelIndex index =
        sessionModel->index(sessionModel->windowRow(row), SessionModel::TextColumn);
    setCurrentIndex(index);
    anchor = currentRecord();
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    setFollowing(atSessionEnd() && row + 1 == sessionModel->sessionRows());
}

bool LogViewWidget::find(const QString& query, bool forward) {
    const std::int64_t from =
        current >= 0 ? std::int64_t(sessionModel->rowAtOrAfter(std::uint64_t(current))) : -1;
    const std::int64_t row = sessionModel->find(query, from, forward);
    if (row < 0) {
        return false;
    }
    goToRow(std::uint64_t(row));
    return true;
}

QString LogViewWidget::selectedText() const {
    return selection.lines(
        [this](std::uint64_t row) { return sessionModel->fields(row).join('\t'); }, kCopyLimit);
}

void LogViewWidget::copyText(const QString& text) {
    QApplication::clipboard()->setText(text);
    const std::uint64_t selected = selection.count();
    if (selected > kCopyLimit) {
        emit statusMessage(tr("Скопированы первые %1 из %2 выделенных строк; весь журнал "
                              "записывает «Экспорт журнала…»")
                               .arg(kCopyLimit)
                               .arg(selected));
    }
}

void LogViewWidget::copySelection() {
    copyText(selectedText());
}

void LogViewWidget::copyBytes() {
    copyText(selection.lines(
        [this](std::uint64_t row) {
            return SessionModel::bytesText(sessionModel->record(sessionModel->recordAt(row)));
        },
        kCopyLimit));
}

void LogViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    QMenu menu(this);
    menu.addAction(copyAct);
    menu.addAction(copyBytesAct);
    if (index.isValid()) {
        const std::uint64_t record = sessionModel->recordAt(sessionRow(index));
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

void LogViewWidget::selectFromAnchor(const QModelIndex& to, bool keep) {
    const std::uint64_t from = sessionModel->rowAtOrAfter(std::uint64_t(anchor));
    const std::uint64_t row = sessionRow(to);
    if (!keep) {
        selection.clear();
        selectionModel()->clearSelection();
    }
    selection.add(std::min(from, row), std::max(from, row) + 1);
    selectionModel()->setCurrentIndex(to, QItemSelectionModel::NoUpdate);
    selection.restoreInWindow();
}

void LogViewWidget::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    extending = event->button() == Qt::LeftButton && index.isValid() && anchor >= 0 &&
                (event->modifiers() & Qt::ShiftModifier);
    if (extending) {
        selectFromAnchor(index, event->modifiers() & Qt::ControlModifier);
        return;
    }
    QTableView::mousePressEvent(event);
    if (index.isValid() && !(event->modifiers() & Qt::ShiftModifier)) {
        anchor = currentRecord();
    }
    // A click on an older row holds the view on it.
    if (isOlderRow(index)) {
        setFollowing(false);
    }
}

void LogViewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!extending) {
        QTableView::mouseMoveEvent(event);
    }
}

void LogViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!extending) {
        QTableView::mouseReleaseEvent(event);
    }
    extending = false;
}

void LogViewWidget::keyPressEvent(QKeyEvent* event) {
    const std::uint64_t rows = sessionModel->sessionRows();
    if (event->key() == Qt::Key_End && rows > 0) {
        moveWindowTo(rows - 1);
    } else if (event->key() == Qt::Key_Home && (event->modifiers() & Qt::ControlModifier)) {
        moveWindowTo(0);
    }
    QAbstractItemView::keyPressEvent(event);
    const bool moves = event->key() == Qt::Key_End || isNavigationKey(event->key());
    if (moves && !(event->modifiers() & Qt::ShiftModifier)) {
        anchor = currentRecord();
    } else if (moves && anchor >= 0 && currentIndex().isValid()) {
        selectFromAnchor(currentIndex(), false);
    }
    if (event->key() == Qt::Key_End) {
        setFollowing(true);
    } else if (isNavigationKey(event->key())) {
        setFollowing(atSessionEnd() && !isOlderRow(currentIndex()));
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
