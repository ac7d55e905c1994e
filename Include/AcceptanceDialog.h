#pragma once

#include <velora_decoding/Acceptance.h>

#include <QDialog>

class QDoubleSpinBox;
class QSpinBox;

// The limits a line must keep to be accepted, edited and remembered in the settings.
class AcceptanceDialog : public QDialog {
    Q_OBJECT
public:
    explicit AcceptanceDialog(QWidget* parent = nullptr);

    // The remembered limits; the defaults until the user changes them.
    static velora_decoding::AcceptanceLimits storedLimits();
    velora_decoding::AcceptanceLimits limits() const;

    void accept() override;

private:
    QDoubleSpinBox* answerP99;
    QDoubleSpinBox* missed;
    QDoubleSpinBox* trash;
    QSpinBox* silent;
    QDoubleSpinBox* minutes;
};
