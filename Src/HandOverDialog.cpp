#include <HandOverDialog.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSettings>

namespace {

const QString kObjectKey = QStringLiteral("handOver/objectName");
const QString kAddressKey = QStringLiteral("handOver/objectAddress");
const QString kEngineerKey = QStringLiteral("handOver/engineer");

} // namespace

HandOverDialog::HandOverDialog(QWidget* parent)
    : QDialog(parent)
    , objectName(new QLineEdit(this))
    , objectAddress(new QLineEdit(this))
    , engineer(new QLineEdit(this)) {
    setWindowTitle(tr("Акт сдачи"));
    const QSettings settings;
    objectName->setText(settings.value(kObjectKey).toString());
    objectAddress->setText(settings.value(kAddressKey).toString());
    engineer->setText(settings.value(kEngineerKey).toString());
    objectName->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Объект:"), objectName);
    form->addRow(tr("Адрес объекта:"), objectAddress);
    form->addRow(tr("Наладчик:"), engineer);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &HandOverDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &HandOverDialog::reject);
}

velora_report::HandOver HandOverDialog::handOver() const {
    velora_report::HandOver handOver;
    handOver.objectName = objectName->text().trimmed();
    handOver.objectAddress = objectAddress->text().trimmed();
    handOver.engineer = engineer->text().trimmed();
    return handOver;
}

void HandOverDialog::accept() {
    QSettings settings;
    settings.setValue(kObjectKey, objectName->text().trimmed());
    settings.setValue(kAddressKey, objectAddress->text().trimmed());
    settings.setValue(kEngineerKey, engineer->text().trimmed());
    QDialog::accept();
}
