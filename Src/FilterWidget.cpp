#include <FilterWidget.h>

#include "ui_FilterWidget.h"

#include <velora_protocol/Addresses.h>
#include <velora_protocol/MessageType.h>

#include <QBoxLayout>
#include <QListWidgetItem>

namespace {

// Type mask bits sent by the check boxes: bit (t - 1) stands for message type t.
constexpr int queryMask = messageTypeBit(mtQuery);
constexpr int shortAnswerMask = messageTypeBit(mtShortAnswer);
// An answer with data and its acknowledgement; a command and its acknowledgement.
constexpr int longAnswerMask = messageTypeBit(mtLongAnswer) | messageTypeBit(mtLongAnswerAck);
constexpr int commandMask = messageTypeBit(mtCommand) | messageTypeBit(mtCommandAck);
constexpr int trashMask = messageTypeBit(mtTrash);

constexpr int firstListedAddress = velora_protocol::kFirstDevice;
constexpr int lastListedAddress = velora_protocol::kSpecialAddress;

} // namespace

FilterWidget::FilterWidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FilterWidget)
    , onlyRecords(new QCheckBox(this)) {
    ui->setupUi(this);
    fillDevices();
    onlyRecords->setObjectName(QStringLiteral("onlyRecords"));
    onlyRecords->hide();
    static_cast<QBoxLayout*>(layout())->insertWidget(1, onlyRecords);
    connect(onlyRecords, &QCheckBox::toggled, this, [this](bool only) {
        onlyRecords->setVisible(only);
        emit onlyRecordsChanged(only);
    });
    // Any change of the rules shows the log by the rules again.
    connect(this, &FilterWidget::typesChanged, this, &FilterWidget::leaveOnlyRecords);
    connect(this, &FilterWidget::addressChanged, this, &FilterWidget::leaveOnlyRecords);
    connect(this, &FilterWidget::allAddressesChanged, this, &FilterWidget::leaveOnlyRecords);

    connect(ui->tQuery, &QCheckBox::toggled, this, &FilterWidget::onTQuery);
    connect(ui->tShortAnswer, &QCheckBox::toggled, this, &FilterWidget::onTShortAnswer);
    connect(ui->tLongAnswer, &QCheckBox::toggled, this, &FilterWidget::onTLongAnswer);
    connect(ui->tCommand, &QCheckBox::toggled, this, &FilterWidget::onTCommand);
    connect(ui->tTrash, &QCheckBox::toggled, this, &FilterWidget::onTTrash);
    connect(ui->selectAll, &QPushButton::clicked, this, &FilterWidget::onSelectAllClicked);
    connect(ui->clearAll, &QPushButton::clicked, this, &FilterWidget::onClearAllClicked);
    connectDevices();
}

FilterWidget::~FilterWidget() {
    delete ui;
}

void FilterWidget::onTQuery(bool checked) {
    emit typesChanged(queryMask, checked);
}
void FilterWidget::onTShortAnswer(bool checked) {
    emit typesChanged(shortAnswerMask, checked);
}
void FilterWidget::onTLongAnswer(bool checked) {
    emit typesChanged(longAnswerMask, checked);
}
void FilterWidget::onTCommand(bool checked) {
    emit typesChanged(commandMask, checked);
}
void FilterWidget::onTTrash(bool checked) {
    emit typesChanged(trashMask, checked);
}

void FilterWidget::onSelectAllClicked() {
    setAllChecked(Qt::Checked);
    emit allAddressesChanged(true);
    connectDevices();
}

void FilterWidget::onClearAllClicked() {
    setAllChecked(Qt::Unchecked);
    emit allAddressesChanged(false);
    connectDevices();
}

void FilterWidget::devicesItemChanged(QListWidgetItem* item) {
    if (!item) {
        return;
    }
    const int address = item->data(Qt::UserRole).toInt();
    const int state = item->data(Qt::CheckStateRole).toInt();
    emit addressChanged(address, state == Qt::Checked);
}

void FilterWidget::fillDevices() {
    for (int address = firstListedAddress; address <= lastListedAddress; ++address) {
        addDevice(tr("адрес ") + QString::number(address), address);
    }
}

void FilterWidget::addDevice(const QString& text, int address) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    item->setData(Qt::UserRole, address);
    item->setCheckState(Qt::Checked);
    item->setTextAlignment(Qt::AlignLeft);
    ui->devices->addItem(item);
}

void FilterWidget::connectDevices() {
    connect(ui->devices, &QListWidget::itemChanged, this, &FilterWidget::devicesItemChanged);
}

// Sets every item without one addressChanged per item: the list's connections to this
// panel are dropped first; the caller reports the change as a whole and reconnects.
void FilterWidget::setAllChecked(Qt::CheckState state) {
    disconnect(ui->devices, nullptr, this, nullptr);
    for (int row = 0; row < ui->devices->count(); ++row) {
        ui->devices->item(row)->setData(Qt::CheckStateRole, state);
    }
}

QListWidgetItem* FilterWidget::deviceItem(int address) const {
    return address >= firstListedAddress && address <= lastListedAddress
               ? ui->devices->item(address - firstListedAddress)
               : nullptr;
}

void FilterWidget::setAddressShown(int address, bool shown) {
    if (QListWidgetItem* item = deviceItem(address)) {
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
    }
}

void FilterWidget::showOnlyAddress(int address) {
    onClearAllClicked();
    setAddressShown(address, true);
    if (QListWidgetItem* item = deviceItem(address)) {
        ui->devices->scrollToItem(item);
    }
}

QList<int> FilterWidget::hiddenAddresses() const {
    QList<int> hidden;
    for (int address = firstListedAddress; address <= lastListedAddress; ++address) {
        if (deviceItem(address)->checkState() != Qt::Checked) {
            hidden << address;
        }
    }
    return hidden;
}

// The check boxes with the type bits they send.
std::vector<std::pair<QCheckBox*, int>> FilterWidget::typeBoxes() const {
    return {{ui->tQuery, queryMask},
            {ui->tShortAnswer, shortAnswerMask},
            {ui->tLongAnswer, longAnswerMask},
            {ui->tCommand, commandMask},
            {ui->tTrash, trashMask}};
}

int FilterWidget::typeMask() const {
    int mask = 0;
    for (const auto& [box, bits] : typeBoxes()) {
        mask |= box->isChecked() ? bits : 0;
    }
    return mask;
}

void FilterWidget::setTypeMask(int mask) {
    for (const auto& [box, bits] : typeBoxes()) {
        box->setChecked((mask & bits) != 0);
    }
}

void FilterWidget::showOnlyType(int type) {
    setTypeMask(1 << (type - 1));
}

void FilterWidget::showOnlyRecords(const QString& what) {
    onlyRecords->setText(tr("Только записи: %1").arg(what));
    onlyRecords->setToolTip(onlyRecords->text());
    onlyRecords->setChecked(true);
}

void FilterWidget::leaveOnlyRecords() {
    onlyRecords->setChecked(false);
}
