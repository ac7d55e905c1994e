#pragma once

#include <rs485/ErrorCounts.h>
#include <velora_decoding/LineTotals.h>
#include <velora_protocol/Frame.h>

#include <QLabel>
#include <QTimer>

#include <optional>
#include <vector>

// The line's health in the status bar, over the last whole second of the line: bytes and
// frames a second, the share of bytes that fit no frame and the line's load, with the lowest
// and highest load of a whole minute; how long the line has been silent; when most bytes are
// trash, a hint at the usual causes; and the converter's error counts, or that it keeps none.
// Seconds are counted by the frames' own times: the batches reach the window at their own
// pace, up to a second apart on a crowded line, and a second counted by arrival would hold
// no batch or two.
class LineHealth : public QLabel {
    Q_OBJECT
public:
    static constexpr double kMostlyTrash = 0.5;

    explicit LineHealth(QWidget* parent = nullptr);

    // Counts while the line is read; shows nothing otherwise.
    void setActive(bool active);
    void add(const std::vector<velora_protocol::Frame>& frames);
    // The line's totals, for the load of its minutes; not owned.
    void setLine(const velora_decoding::LineTotals* totals) { line = totals; }
    // The converter's newest counts; forgotten by setActive().
    void setErrorCounts(const rs485::ErrorCounts& counts) { converter = counts; }

    // The text for one second of the line, and for `silentSeconds` of silence; `minutes`
    // follows the load.
    static QString describe(long bytes, long frames, long trashBytes, int silentSeconds,
                            const QString& minutes = QString());

    // Shows the line as of `nowNs` (wall time); the timer calls it every second.
    void tick(std::int64_t nowNs);

private:
    // Frames reach the window up to this late while the line is busy: a crowded log's batch
    // a second apart, and the reader's own wait.
    static constexpr std::int64_t kLateNs = 1'500'000'000;
    static constexpr std::int64_t kSecondNs = 1'000'000'000;

    struct Second {
        std::int64_t number = -1; // since 1970
        long bytes = 0;
        long frames = 0;
        long trashBytes = 0;
    };
    void count(const velora_protocol::Frame& frame);

    QTimer timer;
    Second counting; // the newest frames'
    Second whole;    // the last one the line has passed
    std::int64_t firstSecond = -1;
    std::int64_t newestNs = 0;
    int silentSeconds = 0;
    const velora_decoding::LineTotals* line = nullptr;
    std::optional<rs485::ErrorCounts> converter;
};
