#pragma once

#include <LogSelection.h>

#include <QTableView>

#include <cstdint>

class QAction;
class QScrollBar;
class SessionModel;

// The log: one row per frame of the session that the filter shows, coloured by message
// type. It follows the newest row while it is scrolled to the bottom; scrolling up stops
// following while rows keep coming, End or the follow action resume it. Typing D, E, B,
// U, G in the table shows the raw data column and emits eggActivated().
//
// The table holds the model's window of rows; the scroll bar shown, scrollBar(), covers
// every row of the session and moves the window. The current row and the selection are
// kept as session rows, so that they outlive moves of the window.
class LogViewWidget : public QTableView {
    Q_OBJECT
public:
    explicit LogViewWidget(QWidget* parent = nullptr);

    SessionModel* session() const { return sessionModel; }
    // The rows of the whole session.
    int rowCount() const;
    QScrollBar* scrollBar() const { return sessionBar; }
    bool isFollowing() const { return following; }
    // Whole rows the table shows at its present height.
    int rowsOnScreen() const;
    // The record of the current row, or -1 when there is none.
    std::int64_t currentRecord() const;

    QAction* followAction() const { return followAct; }
    QAction* rawDataAction() const { return rawDataAct; }
    // The clipboard takes at most this many rows: Ctrl+A over a day's session would build
    // gigabytes of text. "Экспорт журнала…" writes any number of rows.
    static constexpr std::uint64_t kCopyLimit = 100'000;
    std::uint64_t selectedCount() const { return selection.count(); }
    // Tab-separated time, marker, address, text and bytes of the selected rows, of the
    // first kCopyLimit of them.
    QString selectedText() const;

signals:
    void eggActivated();
    // Filter requests of the context menu.
    void showOnlyAddress(int address);
    void hideAddress(int address);
    void showOnlyType(int type);
    // The current row moved to another record, or there is none (-1).
    void currentRecordChanged(std::int64_t record);
    // A short note for the status bar.
    void statusMessage(const QString& text);

public slots:
    void addMessage(int type, int address, QString text, QString rawData);
    void clearLog();
    // Applies a changed filter, keeping the current frame or its nearest shown neighbour.
    void refilter();
    void setFollowing(bool on);
    void showRawData(bool on);
    void copySelection();
    void copyBytes();
    // Goes to the next row (or the previous one) that holds `query`; false if none.
    bool find(const QString& query, bool forward);

    void selectAll() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void createActions();
    void rowsAppended();
    void goToRow(std::uint64_t row);
    // Moves the model's window to hold `row`, keeping the current row and the selection.
    void moveWindowTo(std::uint64_t row);
    void windowReset();
    // The session row of a model row of the window.
    std::uint64_t sessionRow(const QModelIndex& index) const;
    // Selects every session row from the anchor to `to`, which becomes current, adding to
    // the selection if `keep`. Shift with a click or a move key does this also after the
    // window moved; the table itself would only know the rows of its window.
    void selectFromAnchor(const QModelIndex& to, bool keep);
    bool atSessionEnd() const;
    // A row of the window before the session's last one.
    bool isOlderRow(const QModelIndex& index) const;
    // Whether the table's scroll bar at `tablePosition` shows the session's last row.
    bool atSessionEnd(int tablePosition) const;
    void updateSessionBar();
    void sessionBarMoved(int value);
    void copyText(const QString& text);

    unsigned int eggIndex = 0;
    bool following = true;
    SessionModel* sessionModel;
    QScrollBar* sessionBar;
    bool syncing = false;
    bool movingWindow = false;
    bool recentrePending = false;
    std::int64_t current = -1; // record
    // The record that shift selects from, and whether the button of a shift-click is down.
    std::int64_t anchor = -1;
    bool extending = false;
    // A command that clears the selection of the table clears the rows outside the
    // window too.
    mutable LogSelection selection;
    QAction* followAct = nullptr;
    QAction* rawDataAct = nullptr;
    QAction* copyAct = nullptr;
    QAction* copyBytesAct = nullptr;
};
