#pragma once

#include <ConnectDialog.h>
#include <MainWindow.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <vector>

namespace app_driver {

// Calls `handle` with the next modal dialog of type Dialog once it is shown, polling from
// a timer, so that code running the dialog's exec() can be driven without blocking.
template <class Dialog>
void whenModal(std::function<void(Dialog*)> handle) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            handle(dialog);
        }
    });
    timer->start(10);
}

// What a message box showed.
struct Box {
    QString title;
    QString text;
    QString informativeText;
};

// Records and closes (with OK) every message box shown while it lives.
class BoxCloser {
public:
    BoxCloser() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.push_back({box->windowTitle(), box->text(), box->informativeText()});
                box->done(QMessageBox::Ok);
            }
        });
        timer.start(10);
    }

    std::vector<Box> boxes;

private:
    QTimer timer;
};

inline QAction* action(MainWindow& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

// Connects through the connect dialog, typing `port` into its port box.
inline void connectTo(MainWindow& window, const QString& port) {
    whenModal<ConnectDialog>([port](ConnectDialog* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("portName"))->setEditText(port);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    action(window, "connect")->trigger();
}

} // namespace app_driver
