#include <SessionModel.h>

#include <velora_decoding/FrameText.h>
#include <velora_events/EventFilter.h>
#include <velora_protocol/MessageType.h>
#include <velora_session/TimeText.h>

#include <QBrush>
#include <QFont>
#include <QStandardPaths>

#include <algorithm>

namespace {

// Row backgrounds, indexed by message type - 1.
const QBrush typeBackgrounds[] = {
    QBrush(QColor(189, 255, 164), Qt::SolidPattern), // poll
    QBrush(QColor(255, 255, 164), Qt::SolidPattern), // short answer
    QBrush(QColor(255, 204, 164), Qt::SolidPattern), // long answer
    QBrush(QColor(255, 255, 164), Qt::SolidPattern), // its acknowledgement
    QBrush(QColor(164, 204, 255), Qt::SolidPattern), // command
    QBrush(QColor(255, 255, 164), Qt::SolidPattern), // its acknowledgement
    QBrush(QColor(255, 164, 164), Qt::SolidPattern), // trash
};
const QBrush gapBackground(QColor(200, 200, 200), Qt::SolidPattern);

constexpr int kCachedTexts = 4000;

QString defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/sessions");
}

// "12,5 мс" from nanoseconds.
QString interval(std::int64_t ns) {
    return QObject::tr("%1 мс").arg(QString::number(double(ns) / 1e6, 'f', 1).replace('.', ','));
}

// The bytes of a hexadecimal query ("89 00 10", "890010"); empty if it is not one.
std::vector<std::uint8_t> hexQuery(const QString& query) {
    QString digits = query;
    digits.remove(' ');
    std::vector<std::uint8_t> bytes;
    if (digits.isEmpty() || digits.size() % 2 != 0) {
        return bytes;
    }
    for (int i = 0; i < digits.size(); i += 2) {
        bool ok = false;
        bytes.push_back(std::uint8_t(digits.mid(i, 2).toUInt(&ok, 16)));
        if (!ok) {
            return {};
        }
    }
    return bytes;
}

// The type of the frame a frame of `type` answers, or 0.
int answeredType(int type) {
    switch (type) {
    case mtShortAnswer:
    case mtLongAnswer:
        return mtQuery;
    case mtLongAnswerAck:
        return mtLongAnswer;
    case mtCommandAck:
        return mtCommand;
    default:
        return 0;
    }
}

} // namespace

SessionModel::SessionModel(QObject* parent, const QString& directory)
    : QAbstractTableModel(parent)
    , sessionStore((directory.isEmpty() ? defaultDirectory() : directory).toStdString())
    , texts(kCachedTexts) {
    buildRules();
}

void SessionModel::setFilter(const EventFilter* newFilter) {
    filter = newFilter;
    refilter();
}

void SessionModel::buildRules() {
    for (int type = 0; type <= kUnknownType; ++type) {
        for (int address = 0; address < 256; ++address) {
            rules[std::size_t(type * 256 + address)] =
                type == FrameRecord::kGap || !filter || filter->passes(type, address);
        }
    }
}

bool SessionModel::passes(const velora_protocol::Frame& frame) const {
    return rules[std::size_t(std::min<int>(frame.type, kUnknownType) * 256 + frame.address)];
}

void SessionModel::refilter() {
    beginResetModel();
    buildRules();
    visible.clear();
    lastRow = UINT64_MAX;
    const FrameKinds& kinds = sessionStore.kinds();
    std::vector<bool> shown(kinds.count());
    for (std::size_t kind = 0; kind < shown.size(); ++kind) {
        const auto k = FrameKinds::Kind(kind);
        shown[kind] = rules[std::size_t(kinds.type(k) * 256 + kinds.address(k))];
    }
    const std::uint64_t count = sessionStore.size();
    if (onlyRecords.empty()) {
        for (std::uint64_t i = 0; i < count; ++i) {
            visible.append(shown[sessionStore.kind(i)]);
        }
    } else {
        auto next = onlyRecords.begin();
        for (std::uint64_t i = 0; i < count; ++i) {
            const bool listed = next != onlyRecords.end() && *next == i;
            next += listed ? 1 : 0;
            visible.append(listed);
        }
    }
    size = int(std::min<std::uint64_t>(sessionRows(), std::uint64_t(limit)));
    first = sessionRows() - std::uint64_t(size);
    endResetModel();
    emit sessionRowsChanged();
}

void SessionModel::append(const std::vector<velora_protocol::Frame>& frames) {
    const std::uint64_t before = sessionRows();
    const std::size_t knownKinds = sessionStore.kinds().count();
    for (const velora_protocol::Frame& frame : frames) {
        sessionStore.append(frame);
        visible.append(onlyRecords.empty() && passes(frame));
    }
    // A new kind is decoded at once, so that a find only compares texts.
    for (std::size_t kind = knownKinds; kind < sessionStore.kinds().count(); ++kind) {
        kindText(FrameKinds::Kind(kind));
    }
    grow(before);
}

void SessionModel::appendWithText(const velora_protocol::Frame& frame, const QString& text) {
    givenTexts.insert(sessionStore.size(), text);
    append({frame});
}

void SessionModel::appendGap(std::int64_t startNs, std::int64_t endNs) {
    const std::uint64_t before = sessionRows();
    gapRecords.push_back(sessionStore.size());
    sessionStore.appendGap(startNs, endNs);
    visible.append(onlyRecords.empty());
    grow(before);
}

void SessionModel::grow(std::uint64_t before) {
    std::uint64_t added = sessionRows() - before;
    if (added > 0 && first + std::uint64_t(size) == before) {
        const auto room = std::uint64_t(limit - size);
        if (added > room && tail) {
            // The oldest rows leave, a quarter of the window at a time at least.
            const std::uint64_t keep = std::uint64_t(limit - limit / 4);
            const int drop = int(
                std::min<std::uint64_t>(std::uint64_t(size), std::uint64_t(size) + added - keep));
            if (drop > 0) {
                beginRemoveRows(QModelIndex(), 0, drop - 1);
                first += std::uint64_t(drop);
                size -= drop;
                endRemoveRows();
            }
            if (added > keep) {
                first += added - keep; // more new rows than the window holds
                added = keep;
            }
        } else {
            added = std::min(added, room);
        }
        if (added > 0) {
            beginInsertRows(QModelIndex(), size, size + int(added) - 1);
            size += int(added);
            endInsertRows();
        }
    }
    emit sessionRowsChanged();
}

void SessionModel::clear() {
    beginResetModel();
    sessionStore.clear();
    visible.clear();
    givenTexts.clear();
    gapRecords.clear();
    framesBefore = 0;
    onlyRecords.clear();
    texts.clear();
    kindTexts.clear();
    lastRow = UINT64_MAX;
    first = 0;
    size = 0;
    endResetModel();
    emit sessionRowsChanged();
}

std::int64_t SessionModel::frameRecord(std::uint64_t frame) const {
    if (frame < framesBefore) {
        return -1;
    }
    std::uint64_t record = frame - framesBefore;
    for (const std::uint64_t gap : gapRecords) {
        record += gap <= record ? 1 : 0;
    }
    return record < sessionStore.size() ? std::int64_t(record) : -1;
}

std::size_t SessionModel::showOnlyFrames(const std::vector<std::uint64_t>& frames) {
    onlyRecords.clear();
    for (const std::uint64_t frame : frames) {
        const std::int64_t record = frameRecord(frame);
        if (record >= 0) {
            onlyRecords.push_back(std::uint64_t(record));
        }
    }
    // refilter() walks them in order, once each.
    std::sort(onlyRecords.begin(), onlyRecords.end());
    onlyRecords.erase(std::unique(onlyRecords.begin(), onlyRecords.end()), onlyRecords.end());
    return onlyRecords.size();
}

int SessionModel::windowRow(std::uint64_t row) const {
    return row >= first && row - first < std::uint64_t(size) ? int(row - first) : -1;
}

void SessionModel::moveWindowTo(std::uint64_t row) {
    const std::uint64_t margin = std::uint64_t(limit / 8);
    const std::uint64_t rows = sessionRows();
    const bool inside = row >= first && row - first < std::uint64_t(size);
    const bool nearTop = row - first < margin && first > 0;
    const bool nearBottom = first + std::uint64_t(size) - row <= margin && !windowAtEnd();
    if (inside && !nearTop && !nearBottom) {
        return;
    }
    beginResetModel();
    size = int(std::min<std::uint64_t>(rows, std::uint64_t(limit)));
    const std::uint64_t half = std::uint64_t(size / 2);
    first = std::min(row > half ? row - half : 0, rows - std::uint64_t(size));
    endResetModel();
}

std::uint64_t SessionModel::recordAt(std::uint64_t row) const {
    if (row != lastRow) {
        lastRecord = visible.recordAt(row);
        lastRow = row;
    }
    return lastRecord;
}

std::uint64_t SessionModel::rowAtOrAfter(std::uint64_t record) const {
    return visible.rowAtOrAfter(record);
}

QString SessionModel::kindText(FrameKinds::Kind kind) const {
    const std::size_t slot = kind - FrameKinds::kPairKinds;
    if (slot >= kindTexts.size()) {
        kindTexts.resize(sessionStore.kinds().count() - FrameKinds::kPairKinds);
    }
    QString& text = kindTexts[slot];
    if (text.isNull()) {
        text = QString::fromStdString(
            velora_decoding::frameText(sessionStore.kinds().frame(kind).frame()));
    }
    return text;
}

bool SessionModel::hasGivenText(std::uint64_t index) const {
    return !givenTexts.isEmpty() && givenTexts.contains(index);
}

QString SessionModel::text(std::uint64_t index) const {
    const FrameKinds::Kind kind = sessionStore.kind(index);
    if (FrameKinds::hasFrame(kind) && !hasGivenText(index)) {
        return kindText(kind);
    }
    if (QString* cached = texts.object(index)) {
        return *cached;
    }
    const FrameRecord& r = record(index);
    QString text;
    if (r.isGap()) {
        text = tr("Приём приостановлен с %1 до %2")
                   .arg(timeText(r.wallNs), timeText(sessionStore.gapEnd(index)));
    } else if (hasGivenText(index)) {
        text = givenTexts.value(index);
    } else {
        text = QString::fromStdString(velora_decoding::frameText(r.frame()));
    }
    texts.insert(index, new QString(text));
    return text;
}

QString SessionModel::timeText(std::int64_t wallNs) {
    if (wallNs == 0) {
        return QString();
    }
    return QString::fromLatin1(velora_session::clockText(wallNs).c_str());
}

QString SessionModel::bytesText(const FrameRecord& record) {
    return QString::fromStdString(velora_decoding::hexBytes(record.begin(), record.end()));
}

std::int64_t SessionModel::answered(std::uint64_t index) const {
    const int type = answeredType(sessionStore.type(index));
    if (type == 0) {
        return -1;
    }
    const int address = sessionStore.address(index);
    // The frame answered is among the last few before the answer.
    for (std::uint64_t i = index; i > 0 && index - i < 4;) {
        --i;
        if (sessionStore.type(i) == type && sessionStore.address(i) == address) {
            return std::int64_t(i);
        }
    }
    return -1;
}

QString SessionModel::toolTip(std::uint64_t index) const {
    const FrameRecord r = record(index);
    if (r.wallNs == 0) {
        return QString();
    }
    QStringList lines;
    lines << QString::fromLatin1(velora_session::dateTimeText(r.wallNs).c_str());
    if (index > 0) {
        const std::int64_t previous = record(index - 1).lastNs();
        lines << tr("от предыдущего кадра: %1").arg(interval(r.wallNs - previous));
    }
    const std::int64_t question = answered(index);
    if (question >= 0) {
        lines << tr("от кадра, на который он отвечает: %1")
                     .arg(interval(r.wallNs - record(std::uint64_t(question)).lastNs()));
    }
    return lines.join('\n');
}

QStringList SessionModel::fields(std::uint64_t row) const {
    const std::uint64_t index = recordAt(row);
    const FrameRecord r = record(index);
    return {timeText(r.wallNs), QString::fromLatin1(directionMarker(r.type)),
            r.address > 0 ? QString::number(r.address) : QString(), text(index), bytesText(r)};
}

std::int64_t SessionModel::find(const QString& query, std::int64_t row, bool forward) const {
    const std::uint64_t rows = sessionRows();
    if (rows == 0 || query.isEmpty()) {
        return -1;
    }
    const std::vector<std::uint8_t> bytes = hexQuery(query);
    const auto holds = [&](const FrameRecord& r, const QString& text) {
        return (!bytes.empty() &&
                std::search(r.begin(), r.end(), bytes.begin(), bytes.end()) != r.end()) ||
               text.contains(query, Qt::CaseInsensitive);
    };
    // Every kind with a frame is asked once and answers for its records: 1 holds, 0 not;
    // of a kind without a frame (2), and of a record with a text of its own, the record.
    const FrameKinds& kinds = sessionStore.kinds();
    std::vector<std::uint8_t> verdicts(kinds.count(), 2);
    for (std::size_t kind = FrameKinds::kPairKinds; kind < verdicts.size(); ++kind) {
        const auto k = FrameKinds::Kind(kind);
        verdicts[kind] = holds(kinds.frame(k), kindText(k)) ? 1 : 0;
    }
    const auto hit = [&](std::uint64_t index) {
        if (!visible.isShown(index)) {
            return false;
        }
        const std::uint8_t verdict = verdicts[sessionStore.kind(index)];
        if (verdict != 2 && !hasGivenText(index)) {
            return verdict == 1;
        }
        return holds(record(index), text(index));
    };
    // From the record after (or before) the current one all round, back to it.
    const std::uint64_t count = sessionStore.size();
    const std::uint64_t current = row >= 0 && std::uint64_t(row) < rows
                                      ? recordAt(std::uint64_t(row))
                                      : (forward ? count - 1 : 0);
    for (std::uint64_t step = 1; step <= count;) {
        // The stretch up to the end (or the start) of the session, then the rest.
        const std::uint64_t from =
            forward ? (current + step) % count : (current + count - step) % count;
        const std::uint64_t length = std::min(count - step + 1, forward ? count - from : from + 1);
        for (std::uint64_t i = 0; i < length; ++i) {
            const std::uint64_t index = forward ? from + i : from - i;
            if (hit(index)) {
                return std::int64_t(rowAtOrAfter(index));
            }
        }
        step += length;
    }
    return -1;
}

int SessionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size;
}

int SessionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SessionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size) {
        return QVariant();
    }
    const std::uint64_t i = recordAt(first + std::uint64_t(index.row()));
    const int type = sessionStore.type(i);
    switch (role) {
    case Qt::DisplayRole: {
        const FrameRecord& r = record(i);
        switch (index.column()) {
        case MarkerColumn:
            return QString::fromLatin1(directionMarker(type));
        case RawDataColumn:
            return bytesText(r);
        case TimeColumn:
            return timeText(r.wallNs);
        case AddressColumn:
            return r.address > 0 ? QString::number(r.address) : QString();
        default:
            return text(i);
        }
    }
    case Qt::BackgroundRole:
        if (type >= 1 && type <= kMessageTypeCount) {
            return typeBackgrounds[type - 1];
        }
        return type == FrameRecord::kGap ? QVariant(gapBackground) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == MarkerColumn || index.column() == AddressColumn) {
            return int(Qt::AlignCenter);
        }
        return QVariant();
    case Qt::FontRole:
        if (index.column() == RawDataColumn) {
            static const QFont bytesFont(QStringLiteral("Courier"), -1, -1, false);
            return bytesFont;
        }
        return QVariant();
    case Qt::ToolTipRole:
        return toolTip(i);
    default:
        return QVariant();
    }
}

QVariant SessionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (section) {
    case RawDataColumn:
        return tr("Данные");
    case TimeColumn:
        return tr("Время");
    case AddressColumn:
        return tr("Адрес");
    case TextColumn:
        return tr("Событие");
    default:
        return QString();
    }
}
