#include <MainWindow.h>

#include "ui_MainWindow.h"

#include <AboutDialog.h>
#include <ConnectDialog.h>
#include <DeviceDock.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , listener(&frameTap) {
    ui = new Ui::MainWindow;
    ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(ProgramName) + " - " + QString::fromUtf8(Version));
    createStatusBar();

    connect(ui->connect, &QAction::triggered, this, &MainWindow::onConnect);
    connect(ui->disconnect, &QAction::triggered, this, &MainWindow::onDisconnect);
    connect(ui->pauseRx, &QAction::triggered, this, &MainWindow::onPauseRx);
    connect(ui->resumeRx, &QAction::triggered, this, &MainWindow::onResumeRx);
    connect(ui->clearLog, &QAction::triggered, ui->logView, &LogViewWidget::clearLog);
    connect(ui->quit, &QAction::triggered, this, &MainWindow::close);
    connect(ui->about, &QAction::triggered, this, &MainWindow::onAbout);
    connect(ui->logView, &LogViewWidget::eggActivated, &eventListener,
            &EventListener::enableSendRawData);

    eventListener.connectFilterWidget(ui->filterWidget);
    createDeviceDock();
}

// A window destroyed while connected stops the reader first: the reader calls back into
// eventListener, which is destroyed before listener.
MainWindow::~MainWindow() {
    listener.stop();
    delete ui;
    delete portLabel;
    delete pauseLabel;
}

void MainWindow::createStatusBar() {
    portLabel = new QLabel(statusBar());
    portLabel->setMinimumWidth(80);
    pauseLabel = new QLabel(statusBar());
    pauseLabel->setMinimumWidth(60);
    statusBar()->addPermanentWidget(portLabel);
    statusBar()->addPermanentWidget(pauseLabel);
}

void MainWindow::createDeviceDock() {
    deviceDock = new DeviceDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, deviceDock);
    QMenu* menu = menuBar()->addMenu(tr("Устройства"));
    menu->setObjectName(QStringLiteral("menuDevices"));
    menu->addAction(deviceDock->toggleViewAction());
    menu->addAction(deviceDock->compareAction());
    menu->addAction(deviceDock->reportAction());
    connect(&frameTap, &FrameTap::framesArrived, deviceDock, &DeviceDock::addFrames);
    connect(deviceDock, &DeviceDock::addressActivated, ui->filterWidget,
            &FilterWidget::showOnlyAddress);
    connect(deviceDock, &DeviceDock::statusMessage, statusBar(),
            [this](const QString& text) { statusBar()->showMessage(text, 10000); });
}

void MainWindow::onConnect() {
    ConnectDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QString port = dialog.portName();
    if (!listener.open(port.toUtf8().toStdString())) {
        showError(tr("Ошибка при открытии порта ") + port,
                  QString::fromStdString(listener.lastErrorText()));
        return;
    }
    portLabel->setText(port);
    ui->connect->setEnabled(false);
    ui->disconnect->setEnabled(true);
    ui->pauseRx->setEnabled(true);
    ui->logView->clearLog();
    deviceDock->clear();
    connectListenerSignals();
    listener.start();
}

void MainWindow::connectListenerSignals() {
    // Both signals come from the reader thread.
    connect(&eventListener, &EventListener::newLogMessage, ui->logView, &LogViewWidget::addMessage,
            Qt::QueuedConnection);
    connect(&eventListener, &EventListener::disconnectDetected, this,
            &MainWindow::disconnectDetected, Qt::QueuedConnection);
}

void MainWindow::onDisconnect() {
    QObject::disconnect(&eventListener, nullptr, nullptr, nullptr);
    // What the reader has queued already is shown before the reader stops.
    QCoreApplication::processEvents();
    listener.stop();
    listener.close();

    ui->connect->setEnabled(true);
    ui->disconnect->setEnabled(false);
    ui->pauseRx->setEnabled(false);
    ui->resumeRx->setEnabled(false);
    portLabel->clear();
    pauseLabel->clear();
}

void MainWindow::onPauseRx() {
    listener.stop();
    ui->pauseRx->setEnabled(false);
    ui->resumeRx->setEnabled(true);
    pauseLabel->setText(tr("пауза"));
}

void MainWindow::onResumeRx() {
    listener.start();
    ui->pauseRx->setEnabled(true);
    ui->resumeRx->setEnabled(false);
    pauseLabel->clear();
}

void MainWindow::onAbout() {
    showAbout(this);
}

void MainWindow::disconnectDetected() {
    onDisconnect();
    showError(tr("Нет связи с преобразователем USB-RS485."));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ui->disconnect->isEnabled()) {
        onDisconnect();
    }
    event->accept();
}

void MainWindow::showError(const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::Critical, tr("Ошибка"), text, QMessageBox::Ok, this);
    if (!details.isEmpty()) {
        box.setInformativeText(details);
    }
    box.exec();
}
