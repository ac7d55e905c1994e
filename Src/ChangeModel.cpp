#include <ChangeModel.h>

#include <velora_report/DeviceTexts.h>

#include <QFont>

void ChangeModel::add(const velora_decoding::DeviceChange& change) {
    if (entries.size() == std::size_t(kLimit)) {
        beginRemoveRows(QModelIndex(), 0, 0);
        const bool wasOpen = !entries.front().acknowledged;
        entries.pop_front();
        endRemoveRows();
        setOpen(open - (wasOpen ? 1 : 0));
    }
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    entries.push_back({change, false});
    endInsertRows();
    setOpen(open + 1);
}

void ChangeModel::acknowledgeAll() {
    for (Entry& entry : entries) {
        entry.acknowledged = true;
    }
    if (!entries.empty()) {
        emit dataChanged(index(0, AcknowledgedColumn), index(rowCount() - 1, AcknowledgedColumn));
    }
    setOpen(0);
}

void ChangeModel::clear() {
    beginResetModel();
    entries.clear();
    endResetModel();
    setOpen(0);
}

void ChangeModel::setOpen(int count) {
    if (count != open) {
        open = count;
        emit unacknowledgedChanged(open);
    }
}

int ChangeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries.size());
}

int ChangeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChangeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const Entry& entry = entries[std::size_t(index.row())];
    if (role == Qt::FontRole && !entry.acknowledged) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (index.column()) {
    case TimeColumn:
        return velora_report::timeText(entry.change.time);
    case AddressColumn:
        return entry.change.address;
    case ChangeColumn:
        return velora_report::changeWhat(entry.change);
    default:
        return entry.acknowledged ? tr("да") : tr("нет");
    }
}

QVariant ChangeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const titles[ColumnCount] = {"Время", "Прибор", "Изменение", "Подтв."};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return tr(titles[section]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
