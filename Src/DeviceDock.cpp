#include <DeviceDock.h>
#include <DeviceMap.h>
#include <DeviceModel.h>

#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>
#include <velora_report/LineReport.h>

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

DeviceDock::DeviceDock(QWidget* parent)
    : QDockWidget(tr("Устройства"), parent)
    , deviceModel(new DeviceModel(deviceTracker, this))
    , sorted(new QSortFilterProxyModel(this))
    , timer(new QTimer(this))
    , compare(new QAction(tr("Сравнить с конфигурацией…"), this))
    , report(new QAction(tr("Отчёт о линии…"), this)) {
    setObjectName(QStringLiteral("deviceDock"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    summary = new QLabel(content);
    map = new DeviceMap(deviceTracker, *deviceModel, content);
    table = new QTableView(content);
    auto* acknowledgeButton = new QPushButton(tr("Подтвердить"), content);
    acknowledgeButton->setObjectName(QStringLiteral("acknowledge"));
    acknowledgeButton->setToolTip(tr("Снять отметки изменений"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary, 1);
    buttons->addWidget(acknowledgeButton);
    layout->addLayout(buttons);
    layout->addWidget(map);
    layout->addWidget(table, 1);
    setWidget(content);

    sorted->setSourceModel(deviceModel);
    sorted->setSortRole(DeviceModel::SortRole);
    table->setObjectName(QStringLiteral("deviceTable"));
    table->setModel(sorted);
    table->setSortingEnabled(true);
    table->sortByColumn(0, Qt::AscendingOrder);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows as high as the log's; the columns take their contents' width when addresses
    // come or go (measuring them at every refresh would cost more than the rest of the
    // dock), the last answer's text takes the rest.
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 2);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setSectionResizeMode(velora_report::kAnswerColumn,
                                                    QHeaderView::Stretch);

    deviceTracker.setChangeHandler([this](const velora_decoding::DeviceChange& change) {
        deviceModel->mark(change.address);
        changeMessages << velora_report::timeText(change.time) + QStringLiteral("  ") +
                              velora_report::changeText(change);
    });
    connect(table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        emit addressActivated(index.data(DeviceModel::AddressRole).toInt());
    });
    connect(map, &DeviceMap::addressActivated, this, &DeviceDock::addressActivated);
    connect(acknowledgeButton, &QPushButton::clicked, this, &DeviceDock::acknowledge);
    connect(compare, &QAction::triggered, this, &DeviceDock::onCompare);
    connect(report, &QAction::triggered, this, &DeviceDock::onReport);
    connect(timer, &QTimer::timeout, this, [this] {
        if (dirty) {
            refresh();
        }
    });
    timer->start(kRefreshMs);
    refresh();
}

DeviceDock::~DeviceDock() = default;

void DeviceDock::addFrames(const std::vector<velora_protocol::Frame>& frames) {
    for (const auto& frame : frames) {
        deviceTracker.feed(frame);
    }
    dirty = dirty || !frames.empty();
}

void DeviceDock::clear() {
    deviceTracker.clear();
    deviceModel->reset();
    changeMessages.clear();
    refresh();
}

void DeviceDock::refresh() {
    dirty = false;
    deviceModel->refresh();
    if (table->model()->rowCount() != sizedRows) {
        sizedRows = table->model()->rowCount();
        table->resizeColumnsToContents();
    }
    map->refresh();
    const auto& line = deviceTracker.line();
    summary->setText(tr("Кадров: %1, помехи: %2 байт, %3 кадр/с, отвечено опросов: %4%")
                         .arg(line.frames)
                         .arg(line.trashBytes)
                         .arg(line.framesPerSecond(), 0, 'f', 1)
                         .arg(line.answeredPercent(), 0, 'f', 1));
    if (!changeMessages.isEmpty()) {
        const QString last = changeMessages.back();
        emit statusMessage(
            changeMessages.size() == 1
                ? last
                : tr("%1 (и ещё изменений: %2)").arg(last).arg(changeMessages.size() - 1));
        changeMessages.clear();
    }
}

void DeviceDock::acknowledge() {
    deviceModel->acknowledgeAll();
    map->refresh();
}

QString DeviceDock::loadConfiguration(const QString& path) {
    if (!comparison.load(path)) {
        return comparison.error();
    }
    deviceModel->setComparison(&comparison);
    refresh();
    return QString();
}

QString DeviceDock::writeReport(const QString& path) {
    QString error;
    velora_report::writeLineReport(path, deviceTracker, comparison.loaded() ? &comparison : nullptr,
                                   &error);
    return error;
}

void DeviceDock::onCompare() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Сравнить с конфигурацией"), QString(),
                                     tr("Конфигурация пульта (*.xml);;Все файлы (*)"));
    if (!path.isEmpty()) {
        showError(loadConfiguration(path));
    }
}

void DeviceDock::onReport() {
    QString path = QFileDialog::getSaveFileName(this, tr("Отчёт о линии"), QString(),
                                                tr("Документ PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
    }
    showError(writeReport(path));
}

void DeviceDock::showError(const QString& text) {
    if (!text.isEmpty()) {
        QMessageBox::critical(this, tr("Ошибка"), text);
    }
}
