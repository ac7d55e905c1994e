#include <AcceptanceDialog.h>
#include <AcceptanceView.h>
#include <CaptureFiles.h>
#include <DeviceDock.h>
#include <DockContent.h>
#include <ErrorBox.h>
#include <FileNames.h>
#include <HandOverDialog.h>
#include <WalkTestDock.h>
#include <WalkTestModel.h>

#include <velora_report/DeviceTexts.h>
#include <velora_report/HandOver.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

using velora_decoding::PointChange;
using velora_protocol::PointState;

namespace {

const QString kSoundKey = QStringLiteral("walkTest/sound");
constexpr std::int64_t kLiveNs = 10'000'000'000;

enum Page { NoConfigurationPage, ChecklistPage };

} // namespace

WalkTestDock::WalkTestDock(DeviceDock& devices, QWidget* parent)
    : QDockWidget(tr("Проверка шлейфов"), parent)
    , devices(devices)
    , checks(new WalkTestModel(this))
    , timer(new QTimer(this))
    , openWalk(new QAction(tr("Проверка шлейфов…"), this))
    , handOver(new QAction(tr("Акт сдачи…"), this)) {
    setObjectName(QStringLiteral("walkTestDock"));
    auto* content = new QWidget;
    pages = new QStackedWidget(content);
    auto* ask = new QWidget(pages);
    auto* askText = new QLabel(tr("Для проверки шлейфов нужна конфигурация пульта: по ней "
                                  "известно, какие приборы и шлейфы проверять."),
                               ask);
    askText->setWordWrap(true);
    auto* choose = new QPushButton(tr("Сравнить с конфигурацией…"), ask);
    choose->setObjectName(QStringLiteral("chooseConfiguration"));
    auto* askLayout = new QVBoxLayout(ask);
    askLayout->addWidget(askText);
    askLayout->addWidget(choose, 0, Qt::AlignLeft);
    askLayout->addStretch(1);
    pages->addWidget(ask);
    pages->addWidget(createChecklist());
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(pages);
    setWidget(scrollable(content));

    connect(choose, &QPushButton::clicked, devices.compareAction(), &QAction::trigger);
    connect(&devices, &DeviceDock::pointChanged, this, &WalkTestDock::seen);
    connect(&devices, &DeviceDock::configurationChanged, this, &WalkTestDock::rebuild);
    connect(&devices, &DeviceDock::cleared, this, &WalkTestDock::clear);
    connect(checks, &WalkTestModel::notUsedChanged, this,
            [this](int address, velora_decoding::WalkCheck check, bool marked) {
                if (marked) {
                    notUsed.emplace(address, check);
                } else {
                    notUsed.erase({address, check});
                }
                dirty = true;
            });
    connect(openWalk, &QAction::triggered, this, &WalkTestDock::onWalk);
    connect(handOver, &QAction::triggered, this, &WalkTestDock::onHandOver);
    connect(timer, &QTimer::timeout, this, [this] {
        if (dirty) {
            refresh();
        } else if (isVisible()) {
            // Time goes on for the acceptance even when no check changes.
            refreshAcceptance();
        }
    });
    timer->start(kRefreshMs);
    rebuild();
}

WalkTestDock::~WalkTestDock() = default;

WalkTestDock* WalkTestDock::addTo(QMainWindow* window, DeviceDock& devices, QMenu* menu,
                                  CaptureFiles* files) {
    auto* dock = new WalkTestDock(devices, window);
    window->addDockWidget(Qt::BottomDockWidgetArea, dock);
    window->tabifyDockWidget(&devices, dock);
    dock->hide();
    devices.raise();
    menu->insertAction(devices.reportAction(), dock->walkAction());
    menu->addAction(dock->handOverAction());
    connect(files, &CaptureFiles::captureSaved, dock, &WalkTestDock::saveMarks);
    connect(files, &CaptureFiles::captureOpening, dock, &WalkTestDock::readMarks);
    QStatusBar* bar = window->statusBar();
    connect(dock, &WalkTestDock::statusMessage, bar,
            [bar](const QString& text) { bar->showMessage(text, 10000); });
    return dock;
}

QWidget* WalkTestDock::createChecklist() {
    auto* page = new QWidget(pages);
    newest = new QLabel(tr("Ждём срабатывания…"), page);
    newest->setObjectName(QStringLiteral("newestEvent"));
    QFont large = newest->font();
    large.setPointSizeF(large.pointSizeF() * 2.5);
    large.setBold(true);
    newest->setFont(large);
    newest->setWordWrap(true);
    progress = new QLabel(page);
    progress->setObjectName(QStringLiteral("walkProgress"));
    QFont bold = progress->font();
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    bold.setBold(true);
    progress->setFont(bold);
    sound = new QCheckBox(tr("Звук"), page);
    sound->setObjectName(QStringLiteral("walkSound"));
    sound->setToolTip(tr("Сигнал при каждой тревоге и возврате в норму"));
    sound->setChecked(QSettings().value(kSoundKey, false).toBool());
    auto* limits = new QPushButton(tr("Пределы приёмки…"), page);
    auto* csv = new QPushButton(tr("Экспорт CSV…"), page);
    auto* bar = new QHBoxLayout;
    bar->addWidget(progress, 1);
    bar->addWidget(sound);
    bar->addWidget(limits);
    bar->addWidget(csv);

    table = new QTableView(page);
    table->setObjectName(QStringLiteral("walkTable"));
    table->setModel(checks);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    strays = new QLabel(page);
    strays->setObjectName(QStringLiteral("strayAlarms"));
    strays->setWordWrap(true);
    auto* walkPart = new QWidget(page);
    auto* walkLayout = new QVBoxLayout(walkPart);
    walkLayout->setContentsMargins(0, 0, 0, 0);
    walkLayout->addWidget(table, 1);
    walkLayout->addWidget(strays);
    acceptance = new AcceptanceView(page);
    auto* splitter = new QSplitter(Qt::Horizontal, page);
    splitter->addWidget(walkPart);
    splitter->addWidget(acceptance);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(newest);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);
    connect(sound, &QCheckBox::toggled, this, [](bool on) { QSettings().setValue(kSoundKey, on); });
    connect(limits, &QPushButton::clicked, this, &WalkTestDock::onLimits);
    connect(csv, &QPushButton::clicked, this, &WalkTestDock::onExportCsv);
    return page;
}

void WalkTestDock::seen(const PointChange& change) {
    changes.push_back(change);
    walkTest.seen(change);
    // An alarm, or a return to normal from it, is an event; the first report of a check in
    // normal is not.
    PointState& last = states[{change.address, change.check}];
    const bool event = change.state == PointState::Alarm ||
                       (change.state == PointState::Norm && last == PointState::Alarm);
    last = change.state;
    if (event) {
        newest->setText(eventText(change));
        QPalette palette = newest->palette();
        palette.setColor(QPalette::WindowText, change.state == PointState::Alarm
                                                   ? QColor(0xc0, 0x00, 0x00)
                                                   : QColor(0x00, 0x80, 0x00));
        newest->setPalette(palette);
        // The sound is for what happens now, not for the events of an opened capture.
        const std::int64_t age = velora_protocol::Timestamp::now().wallNs - change.time.wallNs;
        if (age < kLiveNs) {
            ++events;
        }
    }
    dirty = true;
}

QString WalkTestDock::eventText(const PointChange& change) const {
    const velora_report::ConfigComparison& configuration = devices.configuration();
    const QString name = configuration.name(change.address);
    const QString device = name.isEmpty() ? tr("Прибор %1").arg(change.address)
                                          : tr("Прибор %1 %2").arg(change.address).arg(name);
    const QString check = configuration.configured(change.address)
                              ? configuration.checkName(change.address, change.check)
                              : QString::fromLatin1(walkCheckId(change.check));
    return QStringLiteral("%1, %2: %3")
        .arg(device, check, change.state == PointState::Alarm ? tr("ТРЕВОГА") : tr("норма"));
}

void WalkTestDock::refresh() {
    dirty = false;
    if (events > 0 && sound->isChecked()) {
        QApplication::beep();
    }
    events = 0;
    checks->refresh();
    progress->setText(tr("Проверено %1 из %2").arg(walkTest.passed()).arg(walkTest.counted()));
    QStringList alarms;
    for (const PointChange& alarm : walkTest.strayAlarms()) {
        alarms << QStringLiteral("%1 %2 (%3)")
                      .arg(alarm.address)
                      .arg(QString::fromLatin1(walkCheckId(alarm.check)),
                           velora_report::timeText(alarm.time));
    }
    strays->setText(alarms.isEmpty()
                        ? QString()
                        : tr("Тревоги на адресах не из конфигурации (не засчитаны): %1")
                              .arg(alarms.join(QStringLiteral(", "))));
    strays->setVisible(!alarms.isEmpty());
    refreshAcceptance();
}

void WalkTestDock::refreshAcceptance() {
    const velora_report::ConfigComparison& configuration = devices.configuration();
    if (!configuration.loaded() || !isVisible()) {
        return;
    }
    const velora_decoding::AcceptanceLimits limits = AcceptanceDialog::storedLimits();
    acceptance->showAcceptance(
        velora_decoding::accept(devices.tracker(), configuration.addresses(), limits),
        configuration, limits);
}

void WalkTestDock::rebuild() {
    const velora_report::ConfigComparison& configuration = devices.configuration();
    walkTest = velora_decoding::WalkTest(configuration.addresses());
    for (const auto& [address, check] : notUsed) {
        walkTest.setNotUsed(address, check, true);
    }
    for (const PointChange& change : changes) {
        walkTest.seen(change);
    }
    checks->setWalk(&walkTest, &configuration);
    table->resizeColumnsToContents();
    // The times and results come later: their columns are sized for them now.
    const QFontMetrics metrics = table->fontMetrics();
    const int time = metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 12;
    table->setColumnWidth(WalkTestModel::AlarmColumn, time);
    table->setColumnWidth(WalkTestModel::NormalColumn, time);
    table->setColumnWidth(WalkTestModel::ResultColumn,
                          metrics.horizontalAdvance(tr("не используется")) + 12);
    pages->setCurrentIndex(configuration.loaded() ? ChecklistPage : NoConfigurationPage);
    refresh();
}

void WalkTestDock::clear() {
    changes.clear();
    states.clear();
    walkTest.clear();
    events = 0;
    newest->setText(tr("Ждём срабатывания…"));
    newest->setPalette(QPalette());
    refresh();
}

void WalkTestDock::setMarks(const WalkMarks& marks) {
    for (const auto& [address, check] : notUsed) {
        walkTest.setNotUsed(address, check, false);
    }
    notUsed = marks;
    for (const auto& [address, check] : notUsed) {
        walkTest.setNotUsed(address, check, true);
    }
    refresh();
}

void WalkTestDock::saveMarks(const QString& capturePath) {
    QString error;
    if (!writeWalkMarks(capturePath, notUsed, &error)) {
        showErrorBox(this, tr("Не удалось записать отметки проверки шлейфов %1: %2")
                               .arg(QDir::toNativeSeparators(walkMarksPath(capturePath)), error));
    }
}

void WalkTestDock::readMarks(const QString& capturePath) {
    setMarks(readWalkMarks(capturePath));
}

QString WalkTestDock::writeCsv(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(velora_report::walkCsv(walkTest, devices.configuration()).toUtf8()) < 0 ||
        !file.commit()) {
        return tr("Не удалось записать %1: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return QString();
}

void WalkTestDock::onWalk() {
    show();
    raise();
    if (!devices.configuration().loaded()) {
        devices.onCompare();
    }
}

void WalkTestDock::onLimits() {
    AcceptanceDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) {
        refreshAcceptance();
    }
}

void WalkTestDock::onExportCsv() {
    QString path = QFileDialog::getSaveFileName(this, tr("Экспорт проверки шлейфов"), QString(),
                                                tr("CSV (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    path = withSuffix(path, QStringLiteral("csv"));
    const QString error = writeCsv(path);
    if (!error.isEmpty()) {
        showErrorBox(this, error);
        return;
    }
    emit statusMessage(tr("Проверка шлейфов записана: %1").arg(QDir::toNativeSeparators(path)));
}

void WalkTestDock::onHandOver() {
    HandOverDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QString path =
        QFileDialog::getSaveFileName(this, tr("Акт сдачи"), QString(), tr("Документ PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    path = withSuffix(path, QStringLiteral("pdf"));
    velora_report::HandOver act = dialog.handOver();
    if (devices.configuration().loaded()) {
        act.walk = &walkTest;
    }
    act.limits = AcceptanceDialog::storedLimits();
    const QString error = devices.writeReport(path, false, &act);
    if (!error.isEmpty()) {
        showErrorBox(this, error);
        return;
    }
    emit statusMessage(tr("Акт сдачи записан: %1").arg(QDir::toNativeSeparators(path)));
}
