#pragma once

#include <velora_session/RowRanges.h>

#include <QString>

#include <cstdint>

class QAbstractItemView;
class SessionModel;

// The rows selected in the log, as session rows. The table selects only rows of the
// model's window; the rows selected outside it are kept here while the window moves.
class LogSelection {
public:
    LogSelection(const SessionModel& model, const QAbstractItemView& table);

    // Forgets the rows outside the window; the table clears its own.
    void clear() { outside.clear(); }
    // Adds the session rows [first, end).
    void add(std::uint64_t first, std::uint64_t end) { outside.add(first, end); }
    // Every row outside the window; the table selects those in it.
    void addOutsideWindow();
    // Keeps the selection of the window's model rows [from, to], which leave the window.
    void stash(int from, int to);
    // Selects the window's part in the table, taking it out of the rows kept here.
    void restoreInWindow();

    // Every selected session row.
    RowRanges ranges() const;
    std::uint64_t count() const;
    // The first `limit` selected rows, each as `line` makes it of its session row, one a
    // line.
    template <class Line>
    QString lines(Line line, std::uint64_t limit) const {
        QString text;
        const RowRanges all = ranges();
        for (const RowRanges::Range& range : all.ranges()) {
            for (std::uint64_t row = range.first; row < range.second && limit > 0; ++row, --limit) {
                text += line(row);
                text += '\n';
            }
        }
        return text;
    }

private:
    const SessionModel& model;
    const QAbstractItemView& table;
    RowRanges outside;
};
