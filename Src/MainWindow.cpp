#include <MainWindow.h>

#include "ui_MainWindow.h"

#include <AboutDialog.h>
#include <CaptureFiles.h>
#include <ChangeModel.h>
#include <ChangesDock.h>
#include <ConnectDialog.h>
#include <DeviceDock.h>
#include <DiagnosisDock.h>
#include <DockContent.h>
#include <ErrorBox.h>
#include <FindBar.h>
#include <FrameDetail.h>
#include <LineHealth.h>
#include <SessionModel.h>
#include <WalkTestDock.h>

#include <velora_protocol/MessageType.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QUrl>

namespace {

QString programTitle() {
    return QString::fromUtf8(ProgramName) + " - " + QString::fromUtf8(Version);
}

QAction* newAction(QObject* parent, const QString& text, const QKeySequence& shortcut,
                   const char* name) {
    auto* action = new QAction(text, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setStatusTip(text);
    return action;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , listener(&feed) {
    ui = new Ui::MainWindow;
    ui->setupUi(this);
    setWindowTitle(programTitle());
    createStatusBar();
    createDocks();
    createMenus();

    connect(ui->connect, &QAction::triggered, this, &MainWindow::onConnect);
    connect(ui->disconnect, &QAction::triggered, this, &MainWindow::onDisconnect);
    connect(ui->pauseRx, &QAction::triggered, this, &MainWindow::onPauseRx);
    connect(ui->resumeRx, &QAction::triggered, this, &MainWindow::onResumeRx);
    connect(ui->clearLog, &QAction::triggered, this, &MainWindow::clearLog);
    connect(ui->quit, &QAction::triggered, this, &MainWindow::close);
    connect(ui->about, &QAction::triggered, this, &MainWindow::onAbout);
    connect(ui->logView, &LogViewWidget::eggActivated, &eventListener,
            &EventListener::enableSendRawData);

    // The filter's rules change first, then the log shows the session through them.
    eventListener.connectFilterWidget(ui->filterWidget);
    createDeviceDock();
    FilterWidget* filters = ui->filterWidget;
    connect(filters, &FilterWidget::typesChanged, ui->logView, &LogViewWidget::refilter);
    connect(filters, &FilterWidget::addressChanged, ui->logView, &LogViewWidget::refilter);
    connect(filters, &FilterWidget::allAddressesChanged, ui->logView, &LogViewWidget::refilter);
    session()->setFilter(&eventListener.filter());
    connect(ui->logView, &LogViewWidget::showOnlyAddress, filters, &FilterWidget::showOnlyAddress);
    connect(ui->logView, &LogViewWidget::hideAddress, filters,
            [filters](int address) { filters->setAddressShown(address, false); });
    connect(ui->logView, &LogViewWidget::showOnlyType, filters, &FilterWidget::showOnlyType);
    connect(filters, &FilterWidget::onlyRecordsChanged, this, [this](bool only) {
        if (!only && session()->showsOnlyRecords()) {
            session()->showOnlyFrames({});
            ui->logView->refilter();
        }
    });

    connect(&feed, &FrameFeed::framesReceived, this, &MainWindow::framesReceived);
    connect(&feed, &FrameFeed::errorCountsRead, health, &LineHealth::setErrorCounts);
    connect(&feed, &FrameFeed::errorCountsRead, deviceDock, &DeviceDock::setErrorCounts);
    health->setLine(&deviceDock->tracker().line());
    firstLayout();
}

void MainWindow::firstLayout() {
    // Most of the screen it opens on; the settings of a later start replace this.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableSize();
        resize(available - QSize(available.width() / 10, 40));
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Once laid out at its size, the window gives the frame detail room for a readable line
    // and the device dock room for eight devices; the log takes the rest.
    constexpr int kDeviceRows = 8;
    if (!docksPlaced) {
        docksPlaced = true;
        const int detailWidth = fontMetrics().averageCharWidth() * 60;
        resizeDocks({frameDetail, filterDock}, {detailWidth, detailWidth}, Qt::Horizontal);
        resizeDocks({frameDetail, filterDock}, {height() / 3, height() / 3}, Qt::Vertical);
        resizeDocks({deviceDock}, {deviceDock->heightForRows(kDeviceRows)}, Qt::Vertical);
    }
}

// A window destroyed while connected stops the reader first: the reader calls back into
// feed, which is destroyed before listener.
MainWindow::~MainWindow() {
    listener.stop();
    delete ui;
    delete portLabel;
    delete pauseLabel;
    delete changesLabel;
}

SessionModel* MainWindow::session() const {
    return ui->logView->session();
}

void MainWindow::createStatusBar() {
    health = new LineHealth(statusBar());
    statusBar()->addWidget(health);
    portLabel = new QLabel(statusBar());
    portLabel->setMinimumWidth(80);
    pauseLabel = new QLabel(statusBar());
    pauseLabel->setMinimumWidth(60);
    changesLabel = new QLabel(statusBar());
    changesLabel->setObjectName(QStringLiteral("unacknowledgedChanges"));
    statusBar()->addPermanentWidget(changesLabel);
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
    menu->addAction(deviceDock->reportWithChangesAction());
    connect(deviceDock, &DeviceDock::addressActivated, ui->filterWidget,
            &FilterWidget::showOnlyAddress);
    const auto showStatus = [this](const QString& text) { statusBar()->showMessage(text, 10000); };
    connect(deviceDock, &DeviceDock::statusMessage, statusBar(), showStatus);
    connect(ui->logView, &LogViewWidget::statusMessage, statusBar(), showStatus);

    auto* changes = new ChangesDock(deviceDock->changes(), this);
    addDockWidget(Qt::RightDockWidgetArea, changes);
    tabifyDockWidget(filterDock, changes);
    menu->insertAction(deviceDock->compareAction(), changes->toggleViewAction());
    connect(deviceDock->changes(), &ChangeModel::unacknowledgedChanged, this, [this](int count) {
        changesLabel->setText(count > 0 ? tr("Не подтверждено: %1").arg(count) : QString());
    });

    auto* diagnosis = new DiagnosisDock(deviceDock->diagnoses(), this);
    addDockWidget(Qt::RightDockWidgetArea, diagnosis);
    tabifyDockWidget(changes, diagnosis);
    filterDock->raise();
    viewMenu->addAction(diagnosis->toggleViewAction());
    connect(diagnosis, &DiagnosisDock::evidenceChosen, this, &MainWindow::showEvidence);
    WalkTestDock::addTo(this, *deviceDock, menu, files);
}

void MainWindow::showEvidence(const std::vector<std::uint64_t>& frames, const QString& title) {
    const std::size_t shown = session()->showOnlyFrames(frames);
    if (shown == 0) {
        statusBar()->showMessage(tr("Записей «%1» в журнале уже нет").arg(title), 10000);
        return;
    }
    ui->filterWidget->showOnlyRecords(tr("%1 (%2)").arg(title).arg(shown));
    ui->logView->refilter();
}

void MainWindow::clearLog() {
    ui->filterWidget->leaveOnlyRecords();
    ui->logView->clearLog();
    session()->numberFramesFrom(deviceDock->tracker().line().frames);
}

void MainWindow::createDocks() {
    filterDock = ui->filterDock;
    filterDock->setWidget(scrollable(ui->filterWidget));
    findBar = new FindBar(ui->centralwidget);
    ui->centralwidget->layout()->addWidget(findBar);
    connect(findBar, &FindBar::find, this, [this](const QString&, bool forward) { find(forward); });
    connect(findBar, &FindBar::closed, ui->logView, [this] { ui->logView->setFocus(); });

    frameDetail = new FrameDetail(*session(), this);
    addDockWidget(Qt::RightDockWidgetArea, frameDetail);
    connect(ui->logView, &LogViewWidget::currentRecordChanged, frameDetail,
            &FrameDetail::showRecord);
}

void MainWindow::createMenus() {
    QMenu* fileMenu = new QMenu(tr("Файл"), this);
    fileMenu->setObjectName(QStringLiteral("menuFile"));
    QAction* open = newAction(this, tr("Открыть запись…"), QKeySequence::Open, "openCapture");
    QAction* save =
        newAction(this, tr("Сохранить запись как…"), QKeySequence::SaveAs, "saveCapture");
    QAction* exportLog = newAction(this, tr("Экспорт журнала…"), QKeySequence(), "exportLog");
    connect(open, &QAction::triggered, this, &MainWindow::onOpenCapture);
    connect(save, &QAction::triggered, this, &MainWindow::onSaveCapture);
    connect(exportLog, &QAction::triggered, this, &MainWindow::onExportLog);
    fileMenu->addAction(open);
    files = new CaptureFiles(this, *session(), fileMenu->addMenu(tr("Недавние записи")));
    connect(files, &CaptureFiles::openRecent, this, [this](const QString& path) {
        if (keepSession()) {
            openCapture(path);
        }
    });
    connect(files, &CaptureFiles::statusMessage, statusBar(), &QStatusBar::showMessage);
    fileMenu->addAction(save);
    fileMenu->addAction(exportLog);

    viewMenu = new QMenu(tr("Вид"), this);
    viewMenu->setObjectName(QStringLiteral("menuView"));
    QAction* findAction = newAction(this, tr("Найти…"), QKeySequence::Find, "find");
    QAction* findNext = newAction(this, tr("Найти далее"), QKeySequence::FindNext, "findNext");
    QAction* findPrevious =
        newAction(this, tr("Найти ранее"), QKeySequence::FindPrevious, "findPrevious");
    connect(findAction, &QAction::triggered, findBar, &FindBar::open);
    connect(findNext, &QAction::triggered, this, [this] { find(true); });
    connect(findPrevious, &QAction::triggered, this, [this] { find(false); });
    viewMenu->addAction(ui->logView->followAction());
    viewMenu->addAction(ui->logView->rawDataAction());
    viewMenu->addSeparator();
    viewMenu->addActions({findAction, findNext, findPrevious});
    viewMenu->addSeparator();
    viewMenu->addAction(filterDock->toggleViewAction());
    viewMenu->addAction(frameDetail->toggleViewAction());

    menuBar()->insertMenu(ui->menuActions->menuAction(), fileMenu);
    menuBar()->insertMenu(ui->menuActions->menuAction(), viewMenu);

    QAction* guide =
        newAction(this, tr("Руководство пользователя"), QKeySequence::HelpContents, "userGuide");
    connect(guide, &QAction::triggered, this, &MainWindow::onUserGuide);
    ui->menuHelp->insertAction(ui->about, guide);
}

void MainWindow::onUserGuide() {
    const QString path =
        QCoreApplication::applicationDirPath() + QStringLiteral("/user-guide.html");
    if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        showError(tr("Не удалось открыть руководство пользователя %1").arg(path));
    }
}

bool MainWindow::keepSession() {
    if (!unsaved || session()->store().empty()) {
        return true;
    }
    QMessageBox box(QMessageBox::Question, tr("Запись не сохранена"),
                    tr("Кадры этого сеанса не сохранены. Сохранить запись?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    switch (box.exec()) {
    case QMessageBox::Save:
        return onSaveCapture();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::startSession(const QString& title) {
    ui->filterWidget->leaveOnlyRecords();
    ui->logView->clearLog();
    deviceDock->clear();
    unsaved = false;
    spillReported = false;
    setWindowTitle(title.isEmpty() ? programTitle() : title + " - " + programTitle());
}

void MainWindow::onConnect() {
    if (!keepSession()) {
        return;
    }
    const QString lastPort =
        remembersSettings ? QSettings().value(QStringLiteral("port")).toString() : QString();
    ConnectDialog dialog(this, PortDiscovery::system(), lastPort);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    connectToPort(dialog.portName());
}

bool MainWindow::connectToPort(const QString& port) {
    if (!listener.open(port.toUtf8().toStdString())) {
        showError(tr("Ошибка при открытии порта ") + port,
                  QString::fromStdString(listener.lastErrorText()));
        return false;
    }
    portLabel->setText(port);
    ui->connect->setEnabled(false);
    ui->disconnect->setEnabled(true);
    ui->pauseRx->setEnabled(true);
    startSession(QString());
    deviceDock->startListening();
    ui->logView->setFollowing(true);
    health->setActive(true);
    if (remembersSettings) {
        QSettings().setValue(QStringLiteral("port"), port);
    }
    connectListenerSignals();
    listener.start();
    return true;
}

void MainWindow::connectListenerSignals() {
    // Comes from the reader thread, like the frames.
    connect(&feed, &FrameFeed::connectionLost, this, &MainWindow::disconnectDetected,
            Qt::QueuedConnection);
}

void MainWindow::addFrames(const std::vector<velora_protocol::Frame>& frames) {
    session()->append(frames);
    deviceDock->addFrames(frames);
}

void MainWindow::framesReceived(const std::vector<velora_protocol::Frame>& frames) {
    const std::uint64_t rowsBefore = session()->sessionRows();
    addFrames(frames);
    feed.paceFor(session()->sessionRows() - rowsBefore, ui->logView->rowsOnScreen());
    health->add(frames);
    unsaved = true;
    const SessionStore& store = session()->store();
    if (store.spillFailed() && !spillReported) {
        spillReported = true;
        QMessageBox::warning(
            this, tr("Запись сеанса"),
            tr("Сеанс больше не записывается в %1: %2. Приём продолжается, новые кадры "
               "остаются в памяти.")
                .arg(QString::fromStdString(store.spillPath()),
                     QString::fromStdString(store.spillError())));
    }
}

void MainWindow::onDisconnect() {
    QObject::disconnect(&feed, &FrameFeed::connectionLost, nullptr, nullptr);
    QCoreApplication::processEvents();
    listener.stop();
    // What the reader has handed over already goes into the log before the port closes.
    feed.deliver();
    deviceDock->finish();
    listener.close();
    health->setActive(false);

    ui->connect->setEnabled(true);
    ui->disconnect->setEnabled(false);
    ui->pauseRx->setEnabled(false);
    ui->resumeRx->setEnabled(false);
    portLabel->clear();
    pauseLabel->clear();
}

void MainWindow::onPauseRx() {
    listener.stop();
    feed.deliver();
    deviceDock->stopListening();
    pauseStartNs = velora_protocol::Timestamp::now().wallNs;
    health->setActive(false);
    ui->pauseRx->setEnabled(false);
    ui->resumeRx->setEnabled(true);
    pauseLabel->setText(tr("пауза"));
}

void MainWindow::onResumeRx() {
    session()->appendGap(pauseStartNs, velora_protocol::Timestamp::now().wallNs);
    health->setActive(true);
    deviceDock->startListening();
    listener.start();
    ui->pauseRx->setEnabled(true);
    ui->resumeRx->setEnabled(false);
    pauseLabel->clear();
}

void MainWindow::onAbout() {
    showAbout(this);
}

void MainWindow::onOpenCapture() {
    if (!keepSession()) {
        return;
    }
    const QString path = files->askCaptureToOpen();
    if (!path.isEmpty()) {
        openCapture(path);
    }
}

bool MainWindow::openCapture(const QString& path) {
    if (ui->disconnect->isEnabled()) {
        onDisconnect();
    }
    startSession(QFileInfo(path).fileName());
    ui->logView->setFollowing(false);
    const bool loaded = files->load(
        path, [this](const std::vector<velora_protocol::Frame>& frames) { addFrames(frames); });
    if (!files->loadCancelled()) {
        deviceDock->finish();
    }
    ui->logView->scrollToTop();
    return loaded;
}

bool MainWindow::onSaveCapture() {
    // A line still being read: the file ends with the bytes of the frame under way.
    if (!files->save([this] { return feed.deliverUnfinished(listener); })) {
        return false;
    }
    unsaved = false;
    return true;
}

void MainWindow::onExportLog() {
    files->exportLog();
}

void MainWindow::find(bool forward) {
    if (findBar->query().isEmpty()) {
        findBar->open();
        return;
    }
    findBar->show();
    findBar->showResult(ui->logView->find(findBar->query(), forward));
}

void MainWindow::disconnectDetected() {
    onDisconnect();
    // Said where the port was, instead of the last device change.
    portLabel->setText(tr("Отключено"));
    statusBar()->clearMessage();
    showError(tr("Нет связи с преобразователем USB-RS485."));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!keepSession()) {
        event->ignore();
        return;
    }
    if (ui->disconnect->isEnabled()) {
        onDisconnect();
    }
    saveSettings();
    event->accept();
}

void MainWindow::restoreSettings() {
    remembersSettings = true;
    QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    docksPlaced = restoreState(settings.value(QStringLiteral("docks")).toByteArray());
    ui->logView->horizontalHeader()->restoreState(
        settings.value(QStringLiteral("columns")).toByteArray());
    ui->filterWidget->setTypeMask(
        settings.value(QStringLiteral("types"), kAllMessageTypes).toInt());
    for (const QVariant& address : settings.value(QStringLiteral("hiddenAddresses")).toList()) {
        ui->filterWidget->setAddressShown(address.toInt(), false);
    }
    ui->logView->setFollowing(settings.value(QStringLiteral("follow"), true).toBool());
}

void MainWindow::saveSettings() const {
    if (!remembersSettings) {
        return;
    }
    QSettings settings;
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("docks"), saveState());
    settings.setValue(QStringLiteral("columns"), ui->logView->horizontalHeader()->saveState());
    settings.setValue(QStringLiteral("types"), ui->filterWidget->typeMask());
    QVariantList hidden;
    for (const int address : ui->filterWidget->hiddenAddresses()) {
        hidden << address;
    }
    settings.setValue(QStringLiteral("hiddenAddresses"), hidden);
    settings.setValue(QStringLiteral("follow"), ui->logView->isFollowing());
}

void MainWindow::showError(const QString& text, const QString& details) {
    showErrorBox(this, text, details);
}
