#pragma once

#include <velora_protocol/Frame.h>

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class ProgressSlices;
class RecentFiles;
class SessionModel;
class QMenu;
class QWidget;

// The session's files as the user handles them: the file dialogs, the progress of reading
// a capture, saving it and exporting the log, the boxes of what went wrong, and the menu of
// recent captures.
class CaptureFiles : public QObject {
    Q_OBJECT
public:
    using FrameSink = std::function<void(const std::vector<velora_protocol::Frame>&)>;
    // What follows the session's frames in a saved capture, asked for once the file is chosen.
    using Ending = std::function<std::vector<velora_protocol::Frame>()>;

    CaptureFiles(QWidget* window, SessionModel& session, QMenu* recentMenu);

    // The capture the user chooses to open; empty if cancelled.
    QString askCaptureToOpen();
    // Reads the capture at `path` into `sink`; false (after the error box) if it is unreadable.
    bool load(const QString& path, const FrameSink& sink);
    // Whether the user stopped the last load before the end of its capture.
    bool loadCancelled() const { return cancelled; }
    // Asks for a file and saves the session's capture in it, then `ending`'s frames; false if
    // nothing was saved.
    bool save(const Ending& ending = {});
    void exportLog();

signals:
    void statusMessage(const QString& text, int timeoutMs);
    // A capture is about to be read from `path`.
    void captureOpening(const QString& path);
    // The session's capture was saved at `path`.
    void captureSaved(const QString& path);
    // A recent capture chosen from the menu.
    void openRecent(const QString& path);

private:
    // A save or an export that did not write its file: cancelled, or failed with `text`.
    void reportUnwritten(const ProgressSlices& progress, const QString& text,
                         const QString& details);
    // "…: %1" with the path of a file just written, in the status bar.
    void showWritten(const QString& text, const QString& path);
    void warnOfDoubt(const QString& path, const std::string& doubt);

    QWidget* window;
    SessionModel& session;
    RecentFiles* recent;
    bool cancelled = false;
};
