#pragma once

#include <QTableView>

#include <cstdint>

class QAction;
class SessionModel;

// The log: one row per frame of the session that the filter shows, coloured by message
// type. It follows the newest row while it is scrolled to the bottom; scrolling up stops
// following while rows keep coming, End or the follow action resume it. Typing D, E, B,
// U, G in the table shows the raw data column and emits eggActivated().
class LogViewWidget : public QTableView {
    Q_OBJECT
public:
    explicit LogViewWidget(QWidget* parent = nullptr);

    SessionModel* session() const { return sessionModel; }
    int rowCount() const;
    bool isFollowing() const { return following; }
    // The record of the current row, or -1 when there is none.
    std::int64_t currentRecord() const;

    QAction* followAction() const { return followAct; }
    QAction* rawDataAction() const { return rawDataAct; }
    // Tab-separated time, marker, address, text and bytes of the selected rows.
    QString selectedText() const;

signals:
    void eggActivated();
    // Filter requests of the context menu.
    void showOnlyAddress(int address);
    void hideAddress(int address);
    void showOnlyType(int type);
    // The current row moved to another record, or there is none (-1).
    void currentRecordChanged(std::int64_t record);

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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void createActions();
    void rowsAppended();
    void goToRow(int row);

    unsigned int eggIndex = 0;
    bool following = true;
    SessionModel* sessionModel;
    QAction* followAct = nullptr;
    QAction* rawDataAct = nullptr;
    QAction* copyAct = nullptr;
    QAction* copyBytesAct = nullptr;
};
