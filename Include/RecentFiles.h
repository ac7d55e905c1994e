#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

// The captures opened or saved last, newest first, as a menu; kept in the settings.
class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 8;

    explicit RecentFiles(QMenu* menu, QObject* parent = nullptr);

    void add(const QString& path);
    QStringList files() const;

signals:
    void open(const QString& path);

private:
    void fillMenu();

    QMenu* menu;
};
