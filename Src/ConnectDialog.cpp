#include <ConnectDialog.h>

#include "ui_ConnectDialog.h"

#include <rs485/PortDiscovery.h>

#include <QPushButton>

#include <algorithm>

PortDiscovery PortDiscovery::system() {
    return {[] { return rs485::serialPortNames(); }, [] { return rs485::converterPortNames(); }};
}

ConnectDialog::ConnectDialog(QWidget* parent, PortDiscovery discovery, const QString& lastPort)
    : QDialog(parent, Qt::WindowCloseButtonHint)
    , ui(new Ui::ConnectDialog)
    , discovery(std::move(discovery)) {
    ui->setupUi(this);
    connect(ui->updatePortList, &QPushButton::clicked, this, &ConnectDialog::onUpdatePortList);
    connect(ui->portName, &QComboBox::editTextChanged, this, [this] { updateOkButton(); });
    ui->portName->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fillPortList();
    showConverterPort();
    const int last = ui->portName->findText(lastPort, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!lastPort.isEmpty() && last >= 0) {
        ui->portName->setCurrentIndex(last);
    }
}

ConnectDialog::~ConnectDialog() {
    delete ui;
}

QString ConnectDialog::portName() const {
    return ui->portName->currentText().trimmed();
}

void ConnectDialog::onUpdatePortList() {
    fillPortList();
    showConverterPort();
}

void ConnectDialog::fillPortList() {
    // The converters first: the line is on one of them.
    std::vector<std::string> ports = discovery.serialPorts();
    const std::vector<std::string> converters = discovery.converterPorts();
    std::stable_partition(ports.begin(), ports.end(), [&converters](const std::string& port) {
        return std::find(converters.begin(), converters.end(), port) != converters.end();
    });
    ui->portName->clear();
    for (const std::string& port : ports) {
        ui->portName->addItem(QString::fromStdString(port));
    }
    updateOkButton();
    fitToContents();
}

void ConnectDialog::fitToContents() {
    const QFontMetrics metrics = ui->portName->fontMetrics();
    int widest = 0;
    for (int i = 0; i < ui->portName->count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(ui->portName->itemText(i)));
    }
    // Room for the frame and the arrow of the box; for the icon and the buttons of the
    // title bar.
    ui->portName->setMinimumWidth(widest + 3 * metrics.height());
    ui->message->setMinimumWidth(
        std::max(ui->message->minimumWidth(),
                 fontMetrics().horizontalAdvance(windowTitle()) + 8 * fontMetrics().height()));
}

void ConnectDialog::showConverterPort() {
    const std::vector<std::string> converters = discovery.converterPorts();
    if (converters.empty()) {
        ui->message->setText(tr("Преобразователь USB-RS485 не обнаружен."));
        return;
    }
    const QString port = QString::fromStdString(converters.front());
    const QString text = tr("Преобразователь USB-RS485 подключён к порту ") + port + ".";
    ui->portName->setCurrentIndex(
        ui->portName->findData(port, Qt::DisplayRole, Qt::MatchCaseSensitive));
    ui->message->setText(text);
}

void ConnectDialog::updateOkButton() {
    if (QPushButton* ok = ui->buttonBox->button(QDialogButtonBox::Ok)) {
        ok->setEnabled(!portName().isEmpty());
    }
}
