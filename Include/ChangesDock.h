#pragma once

#include <QDockWidget>

class ChangeModel;
class QTableView;

// The dock "Изменения": the device changes of the session, newest at the bottom, the ones
// not acknowledged in bold. Follows the newest change while scrolled to the bottom.
class ChangesDock : public QDockWidget {
    Q_OBJECT
public:
    ChangesDock(ChangeModel* changes, QWidget* parent = nullptr);

private:
    QTableView* table;
};
