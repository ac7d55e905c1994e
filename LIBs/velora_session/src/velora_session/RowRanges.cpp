#include <velora_session/RowRanges.h>

#include <algorithm>

void RowRanges::add(std::uint64_t first, std::uint64_t end) {
    if (first >= end) {
        return;
    }
    // The ranges that touch [first, end) merge with it.
    auto begin = std::lower_bound(list.begin(), list.end(), first,
                                  [](const Range& r, std::uint64_t row) { return r.second < row; });
    auto last = begin;
    for (; last != list.end() && last->first <= end; ++last) {
        first = std::min(first, last->first);
        end = std::max(end, last->second);
    }
    list.insert(list.erase(begin, last), {first, end});
}

std::vector<RowRanges::Range> RowRanges::take(std::uint64_t first, std::uint64_t end) {
    std::vector<Range> taken;
    std::vector<Range> kept;
    for (const Range& r : list) {
        const std::uint64_t from = std::max(r.first, first);
        const std::uint64_t to = std::min(r.second, end);
        if (from >= to) {
            kept.push_back(r);
            continue;
        }
        taken.emplace_back(from, to);
        if (r.first < from) {
            kept.emplace_back(r.first, from);
        }
        if (to < r.second) {
            kept.emplace_back(to, r.second);
        }
    }
    list = std::move(kept);
    return taken;
}
