#pragma once

#include <velora_protocol/Frame.h>

#include <QLabel>
#include <QTimer>

#include <vector>

// The line's health in the status bar, over the last second: bytes and frames a second and
// the share of bytes that fit no frame; how long the line has been silent; and, when most
// bytes are trash, a hint at the usual causes.
class LineHealth : public QLabel {
    Q_OBJECT
public:
    static constexpr double kMostlyTrash = 0.5;

    explicit LineHealth(QWidget* parent = nullptr);

    // Counts while the line is read; shows nothing otherwise.
    void setActive(bool active);
    void add(const std::vector<velora_protocol::Frame>& frames);

    // The text for one second of the line, and for `silentSeconds` of silence.
    static QString describe(long bytes, long frames, long trashBytes, int silentSeconds);

private:
    void tick();

    QTimer timer;
    long bytes = 0;
    long frames = 0;
    long trashBytes = 0;
    int silentSeconds = 0;
};
