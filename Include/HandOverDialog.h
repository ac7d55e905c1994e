#pragma once

#include <velora_report/HandOver.h>

#include <QDialog>

class QLineEdit;

// The object, its address and the engineer for the hand-over, remembered in the settings.
class HandOverDialog : public QDialog {
    Q_OBJECT
public:
    explicit HandOverDialog(QWidget* parent = nullptr);

    // The texts entered; the walk test and the limits are the caller's.
    velora_report::HandOver handOver() const;

    void accept() override;

private:
    QLineEdit* objectName;
    QLineEdit* objectAddress;
    QLineEdit* engineer;
};
