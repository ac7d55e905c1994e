#pragma once

#include <array>
#include <cstdint>

namespace velora_decoding {

// Answer times of one device: minimum, mean, maximum and percentiles from a fixed
// histogram of 0.1 ms bins, so that adding a time allocates nothing.
class AnswerTimes {
public:
    static constexpr std::int64_t kBinNs = 100'000;
    static constexpr std::size_t kBins = 512;

    void add(std::int64_t ns);

    std::uint64_t count() const { return total; }
    std::int64_t minNs() const { return least; }
    std::int64_t maxNs() const { return most; }
    std::int64_t meanNs() const;
    // The upper edge of the bin that holds the given share (0..1] of the times, kept
    // within minimum and maximum; the maximum when it falls beyond the last bin. 0 when
    // there are no times.
    std::int64_t percentileNs(double share) const;

private:
    std::array<std::uint32_t, kBins + 1> bins{}; // the last one takes what is beyond
    std::uint64_t total = 0;
    std::int64_t sum = 0;
    std::int64_t least = 0;
    std::int64_t most = 0;
};

} // namespace velora_decoding
