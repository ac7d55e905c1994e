#pragma once

#include <FrameRecord.h>
#include <SessionStore.h>
#include <VisibleRows.h>

#include <velora_protocol/Frame.h>
#include <velora_protocol/MessageType.h>

#include <QAbstractTableModel>
#include <QCache>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class EventFilter;

// The log as a table over a session: every frame is kept in the store, the filter decides
// which of them are rows. Texts are decoded only when a row is shown, and the most recent
// of them kept in a cache.
class SessionModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { MarkerColumn, RawDataColumn, TimeColumn, AddressColumn, TextColumn, ColumnCount };

    // The session's capture file goes to the user's cache folder unless `directory` is given.
    explicit SessionModel(QObject* parent = nullptr, const QString& directory = QString());

    // The filter whose rules choose the rows; none shows every record. refilter() applies
    // a change of its rules.
    void setFilter(const EventFilter* filter);
    void refilter();

    void append(const std::vector<velora_protocol::Frame>& frames);
    void appendGap(std::int64_t startNs, std::int64_t endNs);
    // A frame with a text of its own instead of its decoded one.
    void appendWithText(const velora_protocol::Frame& frame, const QString& text);
    void clear();

    SessionStore& store() { return sessionStore; }
    std::uint64_t recordAt(int row) const;
    // The row of the record, or of the first shown record after it.
    int rowAtOrAfter(std::uint64_t record) const;
    const FrameRecord& record(std::uint64_t index) const { return sessionStore.record(index); }

    QString text(std::uint64_t record) const;
    static QString timeText(std::int64_t wallNs);
    static QString bytesText(const FrameRecord& record);
    QString toolTip(std::uint64_t record) const;
    // Time, marker, address, text and bytes of a row, as copied and exported.
    QStringList fields(int row) const;
    // The next row from `row` (excluded) in the given direction, wrapping, whose text
    // contains `query` or whose bytes contain it as hexadecimal bytes; -1 if none.
    int find(const QString& query, int row, bool forward) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool passes(const velora_protocol::Frame& frame) const;
    void buildRules();
    // The record of the frame this answer or acknowledgement answers, or -1.
    std::int64_t answered(std::uint64_t record) const;

    mutable SessionStore sessionStore;
    VisibleRows visible;
    const EventFilter* filter = nullptr;
    // Which (type, address) pairs are shown: type * 256 + address, types above 7 as 8.
    static constexpr int kUnknownType = kMessageTypeCount + 1;
    std::array<bool, (kUnknownType + 1) * 256> rules{};
    QHash<quint64, QString> givenTexts;
    mutable QCache<quint64, QString> texts;
    mutable int lastRow = -1;
    mutable std::uint64_t lastRecord = 0;
};
