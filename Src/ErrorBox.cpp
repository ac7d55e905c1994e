#include <ErrorBox.h>

#include <QMessageBox>

void showErrorBox(QWidget* parent, const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::Critical, QMessageBox::tr("Ошибка"), text, QMessageBox::Ok,
                    parent);
    if (!details.isEmpty()) {
        box.setInformativeText(details);
    }
    box.exec();
}
