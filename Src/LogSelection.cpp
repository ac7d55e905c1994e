#include <LogSelection.h>

#include <SessionModel.h>

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <algorithm>

LogSelection::LogSelection(const SessionModel& model, const QAbstractItemView& table)
    : model(model)
    , table(table) {}

void LogSelection::addOutsideWindow() {
    const std::uint64_t start = model.windowStart();
    outside.add(0, start);
    outside.add(start + std::uint64_t(model.rowCount()), model.sessionRows());
}

void LogSelection::stash(int from, int to) {
    const std::uint64_t start = model.windowStart();
    for (const QItemSelectionRange& range : table.selectionModel()->selection()) {
        const int top = std::max(range.top(), from);
        const int bottom = std::min(range.bottom(), to);
        if (top <= bottom) {
            outside.add(start + std::uint64_t(top), start + std::uint64_t(bottom) + 1);
        }
    }
}

void LogSelection::restoreInWindow() {
    const std::uint64_t start = model.windowStart();
    const auto rows = std::uint64_t(model.rowCount());
    QItemSelection restored;
    for (const RowRanges::Range& range : outside.take(start, start + rows)) {
        restored.select(model.index(int(range.first - start), 0),
                        model.index(int(range.second - start - 1), SessionModel::ColumnCount - 1));
    }
    table.selectionModel()->select(restored, QItemSelectionModel::Select);
}

RowRanges LogSelection::ranges() const {
    RowRanges all = outside;
    const std::uint64_t start = model.windowStart();
    for (const QItemSelectionRange& range : table.selectionModel()->selection()) {
        all.add(start + std::uint64_t(range.top()), start + std::uint64_t(range.bottom()) + 1);
    }
    return all;
}

std::uint64_t LogSelection::count() const {
    std::uint64_t count = 0;
    const RowRanges all = ranges();
    for (const RowRanges::Range& range : all.ranges()) {
        count += range.second - range.first;
    }
    return count;
}
