#pragma once

#include <QWidget>

#include <utility>
#include <vector>

class QCheckBox;
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

    // Requests of the log's context menu, the device dock and the saved settings. They set
    // the check marks, which report the change as usual. showOnlyAddress unchecks every
    // address but this one.
    void showOnlyAddress(int address);
    void setAddressShown(int address, bool shown);
    // Only the group of check boxes that holds the type.
    void showOnlyType(int type);
    // Marks that the log shows only some records, named by `what`, until the mark is
    // unchecked or the rules change (as "Выбрать все" after showOnlyAddress).
    void showOnlyRecords(const QString& what);
    void leaveOnlyRecords();
    void setTypeMask(int mask);
    // The type bits of the checked groups, and the addresses left unchecked.
    int typeMask() const;
    QList<int> hiddenAddresses() const;

signals:
    void typesChanged(int types, bool enable);
    void addressChanged(int address, bool newState);
    void allAddressesChanged(bool);
    // The log shows only the records of showOnlyRecords(), or (false) the rules again.
    void onlyRecordsChanged(bool only);

public slots:
    void onTQuery(bool checked);
    void onTShortAnswer(bool checked);
    void onTLongAnswer(bool checked);
    void onTCommand(bool checked);
    void onTTrash(bool checked);
    void onSelectAllClicked();
    void onClearAllClicked();
    void devicesItemChanged(QListWidgetItem* item);

private:
    void fillDevices();
    void addDevice(const QString& text, int address);
    void connectDevices();
    void setAllChecked(Qt::CheckState state);
    QListWidgetItem* deviceItem(int address) const;
    std::vector<std::pair<QCheckBox*, int>> typeBoxes() const;

    Ui::FilterWidget* ui;
    QCheckBox* onlyRecords;
};
