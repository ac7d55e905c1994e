#include <DiagnosisModel.h>

#include <velora_report/DeviceTexts.h>

using velora_decoding::Diagnosis;

namespace {

bool sameFinding(const Diagnosis& a, const Diagnosis& b) {
    return a.kind == b.kind && a.address == b.address;
}

} // namespace

DiagnosisModel::DiagnosisModel(const velora_decoding::DeviceTracker& tracker, QObject* parent)
    : QAbstractTableModel(parent)
    , tracker(tracker) {}

void DiagnosisModel::refresh() {
    const std::vector<Diagnosis> found = tracker.diagnosis().diagnoses();
    // The same findings in the same order keep the view's selection; others reset it.
    bool same = found.size() == rows.size();
    for (std::size_t i = 0; same && i < found.size(); ++i) {
        same = sameFinding(found[i], rows[i].diagnosis);
    }
    if (!same) {
        beginResetModel();
        rows.assign(found.size(), Row{});
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        rows[i] = {found[i], QString::fromStdString(velora_decoding::diagnosisText(found[i])),
                   tracker.diagnosis().evidence(found[i])};
    }
    if (!same) {
        endResetModel();
    } else if (!rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}

const std::vector<std::uint64_t>& DiagnosisModel::evidence(int row) const {
    return rows.at(std::size_t(row)).evidence;
}

QString DiagnosisModel::title(int row) const {
    const Diagnosis& d = rows.at(std::size_t(row)).diagnosis;
    const QString kind = QString::fromUtf8(velora_decoding::diagnosisTitle(d.kind));
    return d.address > 0 ? tr("%1, адрес %2").arg(kind).arg(d.address) : kind;
}

int DiagnosisModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

int DiagnosisModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DiagnosisModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const Row& row = rows[std::size_t(index.row())];
    if (role == Qt::ToolTipRole && index.column() == TextColumn) {
        return row.text;
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    const Diagnosis& d = row.diagnosis;
    switch (index.column()) {
    case AddressColumn:
        return d.address > 0 ? QString::number(d.address) : tr("линия");
    case CountColumn:
        return quint64(d.count);
    case TimeColumn:
        return velora_report::timeText(d.first) + QLatin1Char('\n') +
               velora_report::timeText(d.last);
    case EvidenceColumn:
        return quint64(row.evidence.size());
    default:
        return row.text;
    }
}

QVariant DiagnosisModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const titles[ColumnCount] = {"Адрес", "Раз", "Первый /\nпоследний", "Записи",
                                                    "Диагноз"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return tr(titles[section]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
