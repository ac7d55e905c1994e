#pragma once

#include <velora_decoding/DeviceStatus.h>
#include <velora_report/ConfigComparison.h>

#include <QString>
#include <QVariant>

namespace velora_report {

// The columns of the per-device table, shown by the desktop dock and printed in the line
// report.
enum DeviceColumn {
    kAddressColumn,
    kNameColumn,
    kStateColumn,
    kAnswerColumn,
    kPollsColumn,
    kMissedColumn,
    kAnswerTimeColumn,
    kLastAnswerColumn,
    kConfigColumn,
    kColumnCount
};

QString columnTitle(int column);
// The name and what the configuration says: columns only a comparison fills.
bool needsComparison(int column);

// One cell of an address's row.
struct DeviceCell {
    int address;
    const velora_decoding::DeviceStatus& device;
    const ConfigComparison* comparison;

    QString text(int column) const;
    // What the column sorts by: numbers where the text holds numbers.
    QVariant sortValue(int column) const;
};

} // namespace velora_report
