#include <velora_session/VisibleRows.h>

#include <algorithm>

namespace {

int popcount(std::uint64_t word) {
    return __builtin_popcountll(word);
}

// The position of the n-th (from 0) set bit of `word`.
int nthSetBit(std::uint64_t word, std::uint64_t n) {
    for (; n > 0; --n) {
        word &= word - 1;
    }
    return __builtin_ctzll(word);
}

} // namespace

void VisibleRows::clear() {
    words.clear();
    shownBefore.clear();
    records = 0;
    shown = 0;
}

void VisibleRows::append(bool isShown) {
    if (records % kGroupRecords == 0) {
        shownBefore.push_back(shown);
    }
    if (records % 64 == 0) {
        words.push_back(0);
    }
    if (isShown) {
        words.back() |= std::uint64_t(1) << (records % 64);
        ++shown;
    }
    ++records;
}

std::uint64_t VisibleRows::recordAt(std::uint64_t row) const {
    const auto group = std::upper_bound(shownBefore.begin(), shownBefore.end(), row) - 1;
    std::uint64_t left = row - *group;
    for (std::uint64_t w = std::uint64_t(group - shownBefore.begin()) * kGroupWords;; ++w) {
        const auto inWord = std::uint64_t(popcount(words[w]));
        if (left < inWord) {
            return w * 64 + std::uint64_t(nthSetBit(words[w], left));
        }
        left -= inWord;
    }
}

std::uint64_t VisibleRows::rowAtOrAfter(std::uint64_t record) const {
    if (record >= records) {
        return shown;
    }
    const std::uint64_t group = record / kGroupRecords;
    std::uint64_t row = shownBefore[group];
    const std::uint64_t word = record / 64;
    for (std::uint64_t w = group * kGroupWords; w < word; ++w) {
        row += std::uint64_t(popcount(words[w]));
    }
    const std::uint64_t below = (std::uint64_t(1) << (record % 64)) - 1;
    return row + std::uint64_t(popcount(words[word] & below));
}
