#pragma once

#include <velora_decoding/EventListener.h>

#include <velora_listener/VeloraListener.h>

#include <QMainWindow>

class QLabel;

namespace Ui {
class MainWindow;
}

// The program's window: the log and the filter panel side by side. It owns the line
// listener and the event listener and drives the connection through three states
// (disconnected, receiving, paused), carried by the enabled flags of the actions connect,
// disconnect, pauseRx and resumeRx.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    void disconnectDetected();
    void onConnect();
    void onDisconnect();
    void onPauseRx();
    void onResumeRx();
    void onAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createStatusBar();
    void connectListenerSignals();
    void showError(const QString& text, const QString& details = QString());

    Ui::MainWindow* ui = nullptr;
    QLabel* portLabel = nullptr;
    QLabel* pauseLabel = nullptr;
    velora_listener::VeloraListener listener;
    EventListener eventListener;
};
