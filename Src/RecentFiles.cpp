#include <RecentFiles.h>

#include <QDir>
#include <QMenu>
#include <QSettings>

namespace {
const QString key = QStringLiteral("recentFiles");
}

RecentFiles::RecentFiles(QMenu* menu, QObject* parent)
    : QObject(parent)
    , menu(menu) {
    fillMenu();
}

QStringList RecentFiles::files() const {
    return QSettings().value(key).toStringList();
}

void RecentFiles::add(const QString& path) {
    QStringList list = files();
    const QString absolute = QDir(path).absolutePath();
    list.removeAll(absolute);
    list.prepend(absolute);
    QSettings().setValue(key, QStringList(list.mid(0, kCount)));
    fillMenu();
}

void RecentFiles::fillMenu() {
    menu->clear();
    const QStringList list = files();
    for (const QString& path : list) {
        menu->addAction(QDir::toNativeSeparators(path), this, [this, path] { emit open(path); });
    }
    menu->setEnabled(!list.isEmpty());
}
