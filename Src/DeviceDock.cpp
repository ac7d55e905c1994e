#include <CellDelegate.h>
#include <ChangeModel.h>
#include <DeviceDock.h>
#include <DeviceMap.h>
#include <DeviceModel.h>
#include <DiagnosisModel.h>
#include <DockContent.h>
#include <ErrorBox.h>
#include <FileNames.h>

#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>
#include <velora_report/LineReport.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

// The map's colours and what they say, two to a row.
QString legendText() {
    QString cells;
    for (int i = 0; i < velora_report::kShadeCount; ++i) {
        const auto shade = velora_report::Shade(i);
        cells += QStringLiteral("%1<td bgcolor=\"%2\">&nbsp;&nbsp;&nbsp;&nbsp;</td><td>%3</td>")
                     .arg(i % 2 == 0 && i > 0 ? QStringLiteral("</tr><tr>") : QString(),
                          velora_report::shadeColor(shade).name(),
                          velora_report::shadeText(shade).toHtmlEscaped());
    }
    return QStringLiteral("<table cellspacing=\"3\"><tr>") + cells +
           QStringLiteral("</tr></table>");
}

} // namespace

DeviceDock::DeviceDock(QWidget* parent)
    : QDockWidget(tr("Устройства"), parent)
    , deviceModel(new DeviceModel(deviceTracker, this))
    , changeModel(new ChangeModel(this))
    , diagnosisModel(new DiagnosisModel(deviceTracker, this))
    , sorted(new QSortFilterProxyModel(this))
    , timer(new QTimer(this))
    , compare(new QAction(tr("Сравнить с конфигурацией…"), this))
    , report(new QAction(tr("Отчёт о линии…"), this))
    , reportWithChanges(new QAction(tr("Отчёт о линии со всеми изменениями…"), this)) {
    setObjectName(QStringLiteral("deviceDock"));
    auto* content = new QWidget;
    summary = new QLabel(content);
    summary->setWordWrap(true);
    map = new DeviceMap(deviceTracker, *deviceModel, content);
    legend = new QLabel(legendText(), content);
    legend->setObjectName(QStringLiteral("legend"));
    table = new QTableView(content);
    auto* acknowledgeButton = new QPushButton(tr("Подтвердить"), content);
    acknowledgeButton->setObjectName(QStringLiteral("acknowledge"));
    acknowledgeButton->setToolTip(tr("Снять отметки изменений"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary, 1);
    buttons->addWidget(acknowledgeButton);
    auto* overview = new QVBoxLayout;
    overview->addWidget(map);
    overview->addWidget(legend);
    overview->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(overview);
    body->addWidget(table, 1);
    auto* layout = new QVBoxLayout(content);
    layout->addLayout(buttons);
    layout->addLayout(body, 1);
    setWidget(scrollable(content));
    setupTable();

    deviceTracker.setChangeHandler([this](const velora_decoding::DeviceChange& change) {
        deviceModel->mark(change.address);
        statesChanged = true;
        changeModel->add(change);
        changeMessages << velora_report::timeText(change.time) + QStringLiteral("  ") +
                              velora_report::changeText(change);
    });
    deviceTracker.setPointHandler(
        [this](const velora_decoding::PointChange& change) { emit pointChanged(change); });
    deviceTracker.setDiagnosisHandler([this](const velora_decoding::Diagnosis& diagnosis) {
        raised.push_back(diagnosis);
        dirty = true;
    });
    connect(table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        emit addressActivated(index.data(DeviceModel::AddressRole).toInt());
    });
    connect(map, &DeviceMap::addressActivated, this, &DeviceDock::addressActivated);
    connect(acknowledgeButton, &QPushButton::clicked, this, &DeviceDock::acknowledge);
    connect(compare, &QAction::triggered, this, &DeviceDock::onCompare);
    connect(report, &QAction::triggered, this, [this] { onReport(false); });
    connect(reportWithChanges, &QAction::triggered, this, [this] { onReport(true); });
    connect(timer, &QTimer::timeout, this, [this] {
        if (listening) {
            deviceTracker.tick(velora_protocol::Timestamp::now());
        }
        if (dirty) {
            refresh();
        }
    });
    timer->start(kRefreshMs);
    refresh();
}

void DeviceDock::setupTable() {
    sorted->setSourceModel(deviceModel);
    sorted->setSortRole(DeviceModel::SortRole);
    table->setObjectName(QStringLiteral("deviceTable"));
    table->setModel(sorted);
    table->setSortingEnabled(true);
    table->sortByColumn(0, Qt::AscendingOrder);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every visible cell is repainted at each refresh.
    table->setItemDelegate(new CellDelegate(table));
    table->setShowGrid(false);
    // Rows as high as the log's; the columns take their contents' width when addresses
    // come or go, the state's when a device changed (measuring them at every refresh would
    // cost more than the rest of the dock). The last answer's text, of any length, comes
    // last and takes the rest, so the counts stay in view.
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 2);
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->moveSection(header->visualIndex(velora_report::kAnswerColumn),
                        velora_report::kColumnCount - 1);
    header->setStretchLastSection(true);
    // Names and verdicts come with a configuration.
    showComparisonColumns(false);
}

void DeviceDock::showComparisonColumns(bool shown) {
    for (int column = 0; column < velora_report::kColumnCount; ++column) {
        if (velora_report::needsComparison(column)) {
            table->setColumnHidden(column, !shown);
        }
    }
}

int DeviceDock::heightForRows(int rows) const {
    // The layout's margins and spacing and the dock's title.
    constexpr int kFrame = 56;
    const int tableHeight = table->horizontalHeader()->sizeHint().height() +
                            rows * table->verticalHeader()->defaultSectionSize() +
                            2 * table->frameWidth();
    const int overview = map->sizeHint().height() + legend->sizeHint().height();
    return summary->sizeHint().height() + std::max(tableHeight, overview) + kFrame;
}

DeviceDock::~DeviceDock() = default;

void DeviceDock::addFrames(const std::vector<velora_protocol::Frame>& frames) {
    for (const auto& frame : frames) {
        deviceTracker.feed(frame);
    }
    dirty = dirty || !frames.empty();
}

void DeviceDock::setErrorCounts(const rs485::ErrorCounts& counts) {
    converter = counts;
    if (counts.kept) {
        deviceTracker.converterErrors(counts.framing);
    }
}

void DeviceDock::startListening() {
    listening = true;
    deviceTracker.resume(velora_protocol::Timestamp::now());
}

void DeviceDock::stopListening() {
    listening = false;
}

void DeviceDock::finish() {
    stopListening();
    deviceTracker.finish();
    refresh();
}

void DeviceDock::clear() {
    deviceTracker.clear();
    converter.reset();
    deviceModel->reset();
    changeModel->clear();
    changeMessages.clear();
    raised.clear();
    refresh();
    emit cleared();
}

void DeviceDock::refresh() {
    dirty = false;
    deviceModel->refresh();
    if (table->model()->rowCount() != sizedRows) {
        sizedRows = table->model()->rowCount();
        table->resizeColumnsToContents();
    } else if (statesChanged) {
        // A state's text grows with alarm and fault: its column grows along, never shrinks.
        const int before = table->columnWidth(velora_report::kStateColumn);
        table->resizeColumnToContents(velora_report::kStateColumn);
        table->setColumnWidth(velora_report::kStateColumn,
                              std::max(before, table->columnWidth(velora_report::kStateColumn)));
    }
    statesChanged = false;
    map->refresh();
    diagnosisModel->refresh();
    const auto& line = deviceTracker.line();
    summary->setText(tr("Кадров: %1, помехи: %2 байт, %3 кадр/с, отвечено опросов: %4%")
                         .arg(line.frames)
                         .arg(line.trashBytes)
                         .arg(line.framesPerSecond(), 0, 'f', 1)
                         .arg(line.answeredPercent(), 0, 'f', 1));
    tellRaised();
    if (!changeMessages.isEmpty()) {
        const QString last = changeMessages.back();
        emit statusMessage(
            changeMessages.size() == 1
                ? last
                : tr("%1 (и ещё изменений: %2)").arg(last).arg(changeMessages.size() - 1));
        changeMessages.clear();
    }
}

void DeviceDock::tellRaised() {
    // The most severe last: the status bar shows the last message.
    const std::vector<velora_decoding::Diagnosis> found = deviceTracker.diagnosis().diagnoses();
    for (auto now = found.rbegin(); now != found.rend(); ++now) {
        for (const velora_decoding::Diagnosis& fresh : raised) {
            if (fresh.kind == now->kind && fresh.address == now->address) {
                changeMessages << velora_report::timeText(now->last) + QStringLiteral("  ") +
                                      QString::fromStdString(velora_decoding::diagnosisText(*now));
            }
        }
    }
    raised.clear();
}

void DeviceDock::acknowledge() {
    deviceModel->acknowledgeAll();
    changeModel->acknowledgeAll();
    map->refresh();
}

QString DeviceDock::loadConfiguration(const QString& path) {
    if (!comparison.load(path)) {
        return comparison.error();
    }
    deviceModel->setComparison(&comparison);
    showComparisonColumns(true);
    sizedRows = -1;
    refresh();
    emit configurationChanged();
    return QString();
}

QString DeviceDock::writeReport(const QString& path, bool allChanges,
                                const velora_report::HandOver* handOver) {
    // The text is taken here, where the tracker is fed; the pages, up to a few seconds of
    // work with every change in the appendix, are laid out on a thread of their own while
    // the window repaints and the line goes on into it.
    const QString html =
        velora_report::lineReportHtml(deviceTracker, comparison.loaded() ? &comparison : nullptr,
                                      allChanges, converter ? &*converter : nullptr, handOver);
    QString error;
    const std::unique_ptr<QThread> printer(
        QThread::create([&error, path, html] { error = velora_report::printReport(path, html); }));
    QProgressDialog busy(tr("Запись отчёта…"), QString(), 0, 0, this);
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(300);
    printer->start();
    while (!printer->wait(20)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    busy.reset();
    return error;
}

void DeviceDock::onCompare() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Сравнить с конфигурацией"), QString(),
                                     tr("Конфигурация пульта (*.xml);;Все файлы (*)"));
    if (!path.isEmpty()) {
        const QString error = loadConfiguration(path);
        if (!error.isEmpty()) {
            showErrorBox(this, error);
        }
    }
}

void DeviceDock::onReport(bool allChanges) {
    QString path = QFileDialog::getSaveFileName(this, tr("Отчёт о линии"), QString(),
                                                tr("Документ PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    path = withSuffix(path, QStringLiteral("pdf"));
    const QString error = writeReport(path, allChanges);
    if (!error.isEmpty()) {
        showErrorBox(this, error);
        return;
    }
    emit statusMessage(tr("Отчёт записан: %1").arg(QDir::toNativeSeparators(path)));
}
