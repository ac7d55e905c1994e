#include <DeviceModel.h>

#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>

#include <QFont>

#include <algorithm>

using velora_report::DeviceCell;

namespace {

QFont boldFont() {
    QFont font;
    font.setBold(true);
    return font;
}

} // namespace

DeviceModel::DeviceModel(const velora_decoding::DeviceTracker& tracker, QObject* parent)
    : QAbstractTableModel(parent)
    , tracker(tracker) {}

void DeviceModel::setComparison(const velora_report::ConfigComparison* newComparison) {
    comparison = newComparison;
    refresh();
    emit headerDataChanged(Qt::Horizontal, 0, velora_report::kColumnCount - 1);
}

void DeviceModel::refresh() {
    for (int address : velora_report::shownAddresses(tracker, comparison)) {
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            const int row = static_cast<int>(addresses.size());
            beginInsertRows(QModelIndex(), row, row);
            addresses.push_back(address);
            endInsertRows();
        }
    }
    allChanged();
}

void DeviceModel::reset() {
    beginResetModel();
    addresses.clear();
    marked.clear();
    endResetModel();
}

void DeviceModel::mark(int address) {
    marked.insert(address);
}

void DeviceModel::acknowledgeAll() {
    marked.clear();
    allChanged();
}

void DeviceModel::allChanged() {
    if (!addresses.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

int DeviceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(addresses.size());
}

int DeviceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : velora_report::kColumnCount;
}

QVariant DeviceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const int address = addresses[static_cast<std::size_t>(index.row())];
    const DeviceCell cell{address, tracker.device(address), comparison};
    switch (role) {
    case Qt::DisplayRole:
        return cell.text(index.column());
    case SortRole:
        return cell.sortValue(index.column());
    case AddressRole:
        return address;
    case Qt::BackgroundRole:
        return index.column() == velora_report::kStateColumn
                   ? QVariant(velora_report::stateColor(cell.device))
                   : QVariant();
    case Qt::FontRole:
        return isMarked(address) ? QVariant(boldFont()) : QVariant();
    case Qt::ToolTipRole:
        return isMarked(address) ? tr("Изменение не подтверждено") : QVariant();
    default:
        return QVariant();
    }
}

QVariant DeviceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return velora_report::columnTitle(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
