#pragma once

#include <velora_decoding/DeviceTracker.h>
#include <velora_report/ConfigComparison.h>

#include <QAbstractTableModel>

#include <set>
#include <vector>

// The device overview as a table: one row per address the line carried or the
// configuration lists, columns as in the line report. Rows change only on refresh();
// addresses whose presence, alarm or fault changed stay marked until acknowledged.
class DeviceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // What the view sorts by.
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int AddressRole = Qt::UserRole + 1;

    DeviceModel(const velora_decoding::DeviceTracker& tracker, QObject* parent = nullptr);

    void setComparison(const velora_report::ConfigComparison* comparison);
    const velora_report::ConfigComparison* currentComparison() const { return comparison; }
    // Takes in what the tracker learnt since the last call.
    void refresh();
    // Forgets the rows and marks, as after the tracker was cleared.
    void reset();

    void mark(int address);
    void acknowledgeAll();
    bool isMarked(int address) const { return marked.count(address) != 0; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void allChanged();

    const velora_decoding::DeviceTracker& tracker;
    const velora_report::ConfigComparison* comparison = nullptr;
    std::vector<int> addresses; // by row
    std::set<int> marked;
};
