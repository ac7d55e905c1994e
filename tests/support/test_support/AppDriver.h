#pragma once

#include <ConnectDialog.h>
#include <LogViewWidget.h>
#include <MainWindow.h>

#include <test_support/PseudoTerminal.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace app_driver {

// Calls `handle` with the next modal dialog of type Dialog once it is shown, polling from
// a timer, so that code running the dialog's exec() can be driven without blocking. Gives
// up after `timeoutMs`.
template <class Dialog>
void whenModal(std::function<void(Dialog*)> handle, int timeoutMs = 10000) {
    auto* timer = new QTimer(qApp);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, handle] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog || deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            if (dialog) {
                handle(dialog);
            }
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

// Answers the next file dialog with `path`, typed into its name box.
inline void chooseFile(const QString& path) {
    whenModal<QFileDialog>([path](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

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

inline LogViewWidget* logView(MainWindow& window) {
    return window.findChild<LogViewWidget*>(QStringLiteral("logView"));
}

// The text a cell of the log shows.
inline QString cellText(const LogViewWidget& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}

// Writes `bytes` to the line once the reader listens. The reader purges the port when it
// starts, so bytes written just before are dropped as a whole: they are written again
// until the first row shows up.
inline bool writeWhenListening(MainWindow& window, const pseudo_terminal::PseudoTerminal& line,
                               const std::vector<std::uint8_t>& bytes) {
    LogViewWidget* view = logView(window);
    const int before = view->rowCount();
    for (int attempt = 0; attempt < 10; ++attempt) {
        line.write(bytes);
        if (QTest::qWaitFor([&] { return view->rowCount() > before; }, 1000)) {
            // A copy written while the first was still on its way shows up now, not later.
            for (int rows = -1; rows != view->rowCount();) {
                rows = view->rowCount();
                QTest::qWait(300);
            }
            return true;
        }
    }
    return false;
}

} // namespace app_driver
