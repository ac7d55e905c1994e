#include <AcceptanceDialog.h>

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

namespace {

const QString kAnswerKey = QStringLiteral("acceptance/answerP99Ms");
const QString kMissedKey = QStringLiteral("acceptance/missedPercent");
const QString kTrashKey = QStringLiteral("acceptance/trashPercent");
const QString kSilentKey = QStringLiteral("acceptance/silentDevices");
const QString kMinutesKey = QStringLiteral("acceptance/minutes");

QDoubleSpinBox* spinBox(double maximum, const QString& suffix, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(0.0, maximum);
    box->setSuffix(suffix);
    return box;
}

} // namespace

AcceptanceDialog::AcceptanceDialog(QWidget* parent)
    : QDialog(parent)
    , answerP99(spinBox(10000.0, tr(" мс"), this))
    , missed(spinBox(100.0, QStringLiteral(" %"), this))
    , trash(spinBox(100.0, QStringLiteral(" %"), this))
    , silent(new QSpinBox(this))
    , minutes(spinBox(10000.0, tr(" мин"), this)) {
    setWindowTitle(tr("Пределы приёмки"));
    silent->setRange(0, 255);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Время ответа прибора (99 %), до:"), answerP99);
    form->addRow(tr("Пропуски опросов прибора, до:"), missed);
    form->addRow(tr("Мусор на линии, до:"), trash);
    form->addRow(tr("Молчащих приборов из конфигурации, до:"), silent);
    form->addRow(tr("Наблюдение, не короче:"), minutes);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    form->addRow(buttons);
    const auto show = [this](const velora_decoding::AcceptanceLimits& limits) {
        answerP99->setValue(limits.answerP99Ms);
        missed->setValue(limits.missedPercent);
        trash->setValue(limits.trashPercent);
        silent->setValue(limits.silentDevices);
        minutes->setValue(limits.minutes);
    };
    show(storedLimits());
    connect(buttons, &QDialogButtonBox::accepted, this, &AcceptanceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AcceptanceDialog::reject);
    QPushButton* defaults = buttons->button(QDialogButtonBox::RestoreDefaults);
    defaults->setText(tr("По умолчанию"));
    connect(defaults, &QPushButton::clicked, this,
            [show] { show(velora_decoding::AcceptanceLimits{}); });
}

velora_decoding::AcceptanceLimits AcceptanceDialog::storedLimits() {
    const velora_decoding::AcceptanceLimits defaults;
    const QSettings settings;
    velora_decoding::AcceptanceLimits limits;
    limits.answerP99Ms = settings.value(kAnswerKey, defaults.answerP99Ms).toDouble();
    limits.missedPercent = settings.value(kMissedKey, defaults.missedPercent).toDouble();
    limits.trashPercent = settings.value(kTrashKey, defaults.trashPercent).toDouble();
    limits.silentDevices = settings.value(kSilentKey, defaults.silentDevices).toInt();
    limits.minutes = settings.value(kMinutesKey, defaults.minutes).toDouble();
    return limits;
}

velora_decoding::AcceptanceLimits AcceptanceDialog::limits() const {
    velora_decoding::AcceptanceLimits limits;
    limits.answerP99Ms = answerP99->value();
    limits.missedPercent = missed->value();
    limits.trashPercent = trash->value();
    limits.silentDevices = silent->value();
    limits.minutes = minutes->value();
    return limits;
}

void AcceptanceDialog::accept() {
    const velora_decoding::AcceptanceLimits chosen = limits();
    QSettings settings;
    settings.setValue(kAnswerKey, chosen.answerP99Ms);
    settings.setValue(kMissedKey, chosen.missedPercent);
    settings.setValue(kTrashKey, chosen.trashPercent);
    settings.setValue(kSilentKey, chosen.silentDevices);
    settings.setValue(kMinutesKey, chosen.minutes);
    QDialog::accept();
}
