#pragma once

#include <velora_decoding/DeviceChange.h>

#include <QAbstractTableModel>

#include <deque>

// The list "Изменения": every change of a device's presence, alarm or fault with its time,
// newest last, each acknowledged or not. Holds the newest kLimit changes.
class ChangeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, AddressColumn, ChangeColumn, AcknowledgedColumn, ColumnCount };
    static constexpr int kLimit = 10'000;

    using QAbstractTableModel::QAbstractTableModel;

    void add(const velora_decoding::DeviceChange& change);
    void acknowledgeAll();
    void clear();
    int unacknowledged() const { return open; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void unacknowledgedChanged(int count);

private:
    struct Entry {
        velora_decoding::DeviceChange change;
        bool acknowledged = false;
    };
    void setOpen(int count);

    std::deque<Entry> entries;
    int open = 0;
};
