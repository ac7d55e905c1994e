#pragma once

#include <velora_decoding/DeviceTracker.h>

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

// The list "Диагностика": what the device tracker found wrong with the line, most severe
// first, with the records of each finding's newest evidence. Rows change only on refresh().
class DiagnosisModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        AddressColumn,
        CountColumn,
        TimeColumn, // the first and the newest evidence, one above the other
        EvidenceColumn,
        TextColumn,
        ColumnCount
    };

    DiagnosisModel(const velora_decoding::DeviceTracker& tracker, QObject* parent = nullptr);

    // Takes in what the tracker found since the last call.
    void refresh();
    // The evidence of a row: frames numbered as the tracker numbers them.
    const std::vector<std::uint64_t>& evidence(int row) const;
    // A short name of a row's finding: "Два прибора на одном адресе, адрес 5".
    QString title(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        velora_decoding::Diagnosis diagnosis;
        QString text;
        std::vector<std::uint64_t> evidence;
    };

    const velora_decoding::DeviceTracker& tracker;
    std::vector<Row> rows;
};
