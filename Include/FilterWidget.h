#pragma once

#include <QWidget>

class QListWidgetItem;

namespace Ui {
class FilterWidget;
}

// The filter panel: one check box per group of message types and a checkable list of
// device addresses. Every change is reported as a signal; the panel keeps no filter state
// of its own beyond its check marks.
class FilterWidget : public QWidget {
    Q_OBJECT
public:
    explicit FilterWidget(QWidget* parent = nullptr);
    ~FilterWidget() override;

signals:
    void typesChanged(int types, bool enable);
    void addressChanged(int address, bool newState);
    void allAddressesChanged(bool);

public slots:
    void onTQuery(bool checked);
    void onTShortAnswer(bool checked);
    void onTLongAnswer(bool checked);
    void onTCommand(bool checked);
    void onTTrash(bool checked);
    void onSelectAllClicked();
    void onClearAllClicked();
    void devicesItemChanged(QListWidgetItem* item);
    // Unchecks every address but this one.
    void showOnlyAddress(int address);

private:
    void fillDevices();
    void addDevice(const QString& text, int address);
    void connectDevices();
    void setAllChecked(Qt::CheckState state);

    Ui::FilterWidget* ui;
};
