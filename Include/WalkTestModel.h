#pragma once

#include <velora_decoding/WalkTest.h>

#include <QAbstractTableModel>

namespace velora_report {
class ConfigComparison;
}

// The checklist of the walk test: every check of every configured device with the times of
// its alarm and its return to normal and its result. The last column's check box marks a
// check "не используется", so it does not count.
class WalkTestModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        DeviceColumn,
        CheckColumn,
        AlarmColumn,
        NormalColumn,
        ResultColumn,
        NotUsedColumn,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The walk and the names of its checks; both outlive the model or the next call.
    void setWalk(velora_decoding::WalkTest* walk,
                 const velora_report::ConfigComparison* comparison);
    // The walk saw new changes: the times and results again.
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void notUsedChanged(int address, velora_decoding::WalkCheck check, bool notUsed);

private:
    QVariant display(const velora_decoding::WalkEntry& entry, int column) const;

    velora_decoding::WalkTest* walk = nullptr;
    const velora_report::ConfigComparison* comparison = nullptr;
};
