#pragma once

#include <QBasicTimer>
#include <QFont>
#include <QTableWidget>

// The live log: one row per log message, coloured by message type, bounded in length and
// kept scrolled to the newest row. Typing D, E, B, U, G in the table shows the hidden raw
// data column and emits eggActivated().
//
// Rows are appended as the messages arrive; repainting and scrolling to the newest row are
// coalesced to at most one per refresh interval, so that a saturated line does not repaint
// the table once per frame.
class LogViewWidget : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int MaxRows = 65536;
    static constexpr int RowHeight = 17;
    static constexpr int RefreshIntervalMs = 40;

    explicit LogViewWidget(QWidget* parent = nullptr);

signals:
    void eggActivated();

public slots:
    void addMessage(int type, int address, QString text, QString rawData);
    void clearLog();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void scheduleRefresh();
    void refresh();

    unsigned int eggIndex = 0;
    bool rawDataShown = false;
    QFont font;
    QBasicTimer refreshTimer;
};
