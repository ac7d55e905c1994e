#include <AboutForm.h>

#include "ui_AboutForm.h"

QAboutForm::QAboutForm(QWidget* parent)
    : QDialog(parent, Qt::WindowCloseButtonHint)
    , ui(new Ui::AboutForm) {
    ui->setupUi(this);
}

QAboutForm::~QAboutForm() {
    delete ui;
}
