#pragma once

#include <QDialog>

namespace Ui {
class AboutForm;
}

// The About window: logo, program texts, licence and copyright lines, third-party notice.
class QAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit QAboutForm(QWidget* parent = nullptr);
    ~QAboutForm() override;

private:
    Ui::AboutForm* ui;
};
