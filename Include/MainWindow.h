#pragma once

#include <FrameFeed.h>

#include <velora_events/EventListener.h>

#include <velora_listener/VeloraListener.h>

#include <QMainWindow>

class DeviceDock;
class FindBar;
class FrameDetail;
class LineHealth;
class QDockWidget;
class QLabel;
class QMenu;
class CaptureFiles;
class SessionModel;

namespace Ui {
class MainWindow;
}

// The program's window: the log, the filter panel and the find bar. It owns the line
// listener and the event listener and drives the connection through three states
// (disconnected, receiving, paused), carried by the enabled flags of the actions connect,
// disconnect, pauseRx and resumeRx. Every frame since a connection or since opening a
// capture is kept in the log's session.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Connects to `port` without the dialog; false (after the error box) if it fails.
    bool connectToPort(const QString& port);
    // Opens a capture or raw recording into the log.
    bool openCapture(const QString& path);
    // Remembers geometry, docks, columns, filters and the port from now on.
    void restoreSettings();

public slots:
    void disconnectDetected();
    void onConnect();
    void onDisconnect();
    void onPauseRx();
    void onResumeRx();
    void onAbout();
    // Opens the user guide, the HTML file beside the program, in the browser.
    void onUserGuide();
    void onOpenCapture();
    bool onSaveCapture();
    void onExportLog();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createStatusBar();
    void firstLayout();
    void createDeviceDock();
    void createDocks();
    void createMenus();
    void connectListenerSignals();
    // Frames of the session, live or read from a file: to the log and the device dock.
    void addFrames(const std::vector<velora_protocol::Frame>& frames);
    void framesReceived(const std::vector<velora_protocol::Frame>& frames);
    // Asks whether to save a live session not saved yet; false if the user cancels.
    bool keepSession();
    void startSession(const QString& title);
    void saveSettings() const;
    void showError(const QString& text, const QString& details = QString());
    void find(bool forward);
    // Empties the log; the device tracker goes on numbering the line's frames.
    void clearLog();
    // The log shows only these frames of the line, numbered as the tracker numbers them.
    void showEvidence(const std::vector<std::uint64_t>& frames, const QString& title);
    SessionModel* session() const;

    Ui::MainWindow* ui = nullptr;
    QLabel* portLabel = nullptr;
    QLabel* pauseLabel = nullptr;
    // The device changes not acknowledged yet.
    QLabel* changesLabel = nullptr;
    velora_listener::VeloraListener listener;
    // Its filter chooses the rows of the log.
    EventListener eventListener;
    // Takes the frames from the reader thread, in batches for the session and the device dock.
    FrameFeed feed;
    DeviceDock* deviceDock = nullptr;
    FindBar* findBar = nullptr;
    FrameDetail* frameDetail = nullptr;
    LineHealth* health = nullptr;
    CaptureFiles* files = nullptr;
    QDockWidget* filterDock = nullptr;
    QMenu* viewMenu = nullptr;
    bool unsaved = false;
    bool spillReported = false;
    bool remembersSettings = false;
    // The docks have their sizes: from the settings or from the first showing.
    bool docksPlaced = false;
    std::int64_t pauseStartNs = 0;
};
