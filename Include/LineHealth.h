#pragma once

#include <rs485/ErrorCounts.h>
#include <velora_decoding/LineTotals.h>
#include <velora_protocol/Frame.h>

#include <QLabel>
#include <QTimer>

#include <optional>
#include <vector>

// The line's health in the status bar, over the last second: bytes and frames a second,
// the share of bytes that fit no frame and the line's load, with the lowest and highest
// load of a whole minute; how long the line has been silent; when most bytes are trash, a
// hint at the usual causes; and the converter's error counts, or that it keeps none.
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

private:
    void tick();

    QTimer timer;
    long bytes = 0;
    long frames = 0;
    long trashBytes = 0;
    int silentSeconds = 0;
    const velora_decoding::LineTotals* line = nullptr;
    std::optional<rs485::ErrorCounts> converter;
};
