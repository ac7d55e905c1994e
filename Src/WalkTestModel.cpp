#include <WalkTestModel.h>

#include <velora_report/ConfigComparison.h>
#include <velora_report/DeviceTexts.h>
#include <velora_report/HandOver.h>

#include <QBrush>
#include <QColor>

using velora_decoding::WalkEntry;
using velora_decoding::WalkResult;

void WalkTestModel::setWalk(velora_decoding::WalkTest* newWalk,
                            const velora_report::ConfigComparison* names) {
    beginResetModel();
    walk = newWalk;
    comparison = names;
    endResetModel();
}

void WalkTestModel::refresh() {
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}

int WalkTestModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || walk == nullptr ? 0 : int(walk->entries().size());
}

int WalkTestModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant WalkTestModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const WalkEntry& entry = walk->entries()[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return display(entry, index.column());
    case Qt::CheckStateRole:
        if (index.column() == NotUsedColumn) {
            return entry.notUsed ? Qt::Checked : Qt::Unchecked;
        }
        break;
    case Qt::BackgroundRole:
        // Green once proven, yellow while it is still to come back to normal.
        if (entry.result() == WalkResult::Passed) {
            return QBrush(QColor(0xc8, 0xf0, 0xc8));
        }
        if (entry.result() == WalkResult::AlarmOnly) {
            return QBrush(QColor(0xff, 0xf0, 0xa0));
        }
        break;
    case Qt::ForegroundRole:
        if (entry.notUsed) {
            return QBrush(Qt::gray);
        }
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant WalkTestModel::display(const WalkEntry& entry, int column) const {
    switch (column) {
    case DeviceColumn: {
        const QString name = comparison != nullptr ? comparison->name(entry.address) : QString();
        return name.isEmpty() ? QString::number(entry.address)
                              : QStringLiteral("%1 %2").arg(entry.address).arg(name);
    }
    case CheckColumn:
        return comparison != nullptr ? comparison->checkName(entry.address, entry.check)
                                     : QString::fromLatin1(walkCheckId(entry.check));
    case AlarmColumn:
        return entry.alarm.known() ? velora_report::timeText(entry.alarm) : QString();
    case NormalColumn:
        return entry.normal.known() ? velora_report::timeText(entry.normal) : QString();
    case ResultColumn:
        return velora_report::walkResultText(entry.result());
    default:
        return QVariant();
    }
}

bool WalkTestModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() || index.column() != NotUsedColumn ||
        role != Qt::CheckStateRole) {
        return false;
    }
    const WalkEntry& entry = walk->entries()[std::size_t(index.row())];
    const bool notUsed = value.toInt() == Qt::Checked;
    walk->setNotUsed(entry.address, entry.check, notUsed);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    emit notUsedChanged(entry.address, entry.check, notUsed);
    return true;
}

Qt::ItemFlags WalkTestModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == NotUsedColumn) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant WalkTestModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const titles[ColumnCount] = {"Прибор", "Проверка", "Тревога",
                                                    "Норма",  "Итог",     "Не используется"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return tr(titles[section]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
