#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// A set of rows as sorted, disjoint half-open ranges [first, end).
class RowRanges {
public:
    using Range = std::pair<std::uint64_t, std::uint64_t>;

    void clear() { list.clear(); }
    bool empty() const { return list.empty(); }
    void add(std::uint64_t first, std::uint64_t end);
    // Removes the rows in [first, end) and returns those that were in the set.
    std::vector<Range> take(std::uint64_t first, std::uint64_t end);
    const std::vector<Range>& ranges() const { return list; }

private:
    std::vector<Range> list;
};
