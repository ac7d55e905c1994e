#pragma once

#include <velora_session/FrameRecord.h>
#include <velora_session/SessionStore.h>
#include <velora_session/VisibleRows.h>

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
// which of them are the session's rows. The model's rows are a window of at most
// windowLimit() consecutive session rows, so that a view keeps no memory per session row.
// Texts are decoded only when a row is shown, once for every kind of frame.
class SessionModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { MarkerColumn, RawDataColumn, TimeColumn, AddressColumn, TextColumn, ColumnCount };
    static constexpr int kWindowLimit = 1 << 17;

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

    // The line's frames are numbered from 0 since the line began (the device tracker numbers
    // them so); the log may have been cleared since, after `first` frames.
    void numberFramesFrom(std::uint64_t first) { framesBefore = first; }
    // The record of the frame numbered `frame` (gaps take records, not numbers), or -1 when
    // the log no longer holds it.
    std::int64_t frameRecord(std::uint64_t frame) const;
    // Shows the records of these frames alone (in order), whatever the filter's rules; none:
    // the rules again. Returns how many of them the log holds; refilter() applies it.
    std::size_t showOnlyFrames(const std::vector<std::uint64_t>& frames);
    bool showsOnlyRecords() const { return !onlyRecords.empty(); }

    // The rows the filter shows, and the window of them that the model's rows are.
    std::uint64_t sessionRows() const { return visible.rowCount(); }
    std::uint64_t windowStart() const { return first; }
    int windowLimit() const { return limit; }
    void setWindowLimit(int rows) { limit = rows; }
    bool windowAtEnd() const { return first + std::uint64_t(size) == sessionRows(); }
    // The model row of a session row, or -1 outside the window.
    int windowRow(std::uint64_t row) const;
    // Moves the window (resetting the model) so that it holds `row` about in its middle,
    // or as near to the end as it can; nothing happens if it holds it well inside already.
    void moveWindowTo(std::uint64_t row);
    // While on, the window takes new rows and lets its oldest go; while off, it takes new
    // rows only while it has room.
    void setTail(bool on) { tail = on; }

    SessionStore& store() { return sessionStore; }
    std::uint64_t recordAt(std::uint64_t row) const;
    // The session row of the record, or of the first shown record after it.
    std::uint64_t rowAtOrAfter(std::uint64_t record) const;
    const FrameRecord& record(std::uint64_t index) const { return sessionStore.record(index); }

    QString text(std::uint64_t record) const;
    static QString timeText(std::int64_t wallNs);
    static QString bytesText(const FrameRecord& record);
    QString toolTip(std::uint64_t record) const;
    // Time, marker, address, text and bytes of a row, as copied and exported.
    QStringList fields(std::uint64_t row) const;
    // The next session row from `row` (excluded; -1 for none) in the given direction,
    // wrapping, whose text contains `query` or whose bytes contain it as hexadecimal
    // bytes; -1 if none.
    std::int64_t find(const QString& query, std::int64_t row, bool forward) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The number of session rows changed, whether or not the window did.
    void sessionRowsChanged();

private:
    // Takes the rows shown after `before` session rows into the window as far as it may.
    void grow(std::uint64_t before);
    bool passes(const velora_protocol::Frame& frame) const;
    void buildRules();
    QString kindText(FrameKinds::Kind kind) const;
    // Whether the record was appended with a text of its own.
    bool hasGivenText(std::uint64_t index) const;
    // The record of the frame this answer or acknowledgement answers, or -1.
    std::int64_t answered(std::uint64_t record) const;

    mutable SessionStore sessionStore;
    VisibleRows visible;
    const EventFilter* filter = nullptr;
    // Which (type, address) pairs are shown: type * 256 + address, unknown types as one.
    static constexpr int kUnknownType = FrameKinds::kTypes - 1;
    std::array<bool, (kUnknownType + 1) * 256> rules{};
    QHash<quint64, QString> givenTexts;
    // The records of the gaps, in order.
    std::vector<std::uint64_t> gapRecords;
    std::uint64_t framesBefore = 0;
    std::vector<std::uint64_t> onlyRecords;
    // Texts of the kinds with a frame, by kind - FrameKinds::kPairKinds; of other records
    // the most recent.
    mutable std::vector<QString> kindTexts;
    mutable QCache<quint64, QString> texts;
    std::uint64_t first = 0;
    int size = 0;
    int limit = kWindowLimit;
    bool tail = true;
    mutable std::uint64_t lastRow = UINT64_MAX;
    mutable std::uint64_t lastRecord = 0;
};
