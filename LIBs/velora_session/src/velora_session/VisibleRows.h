#pragma once

#include <cstdint>
#include <vector>

// Which records of a session a view shows: one bit per record and, per group of 4096
// records, how many are shown before it, so that a row finds its record (and a record its
// row) in logarithmic time with 1 bit of memory per record.
class VisibleRows {
public:
    void clear();
    void append(bool shown);

    std::uint64_t recordCount() const { return records; }
    std::uint64_t rowCount() const { return shown; }
    bool isShown(std::uint64_t record) const { return (words[record / 64] >> (record % 64)) & 1; }
    // The record shown in `row` (< rowCount()).
    std::uint64_t recordAt(std::uint64_t row) const;
    // The row of `record` if it is shown, else of the first shown record after it
    // (rowCount() when there is none).
    std::uint64_t rowAtOrAfter(std::uint64_t record) const;

private:
    static constexpr std::uint64_t kGroupWords = 64;
    static constexpr std::uint64_t kGroupRecords = kGroupWords * 64;

    std::vector<std::uint64_t> words;
    std::vector<std::uint64_t> shownBefore; // per group
    std::uint64_t records = 0;
    std::uint64_t shown = 0;
};
