#include <velora_decoding/AnswerTimes.h>

#include <algorithm>
#include <cmath>

namespace velora_decoding {

void AnswerTimes::add(std::int64_t ns) {
    ns = std::max<std::int64_t>(ns, 0);
    bins[std::min<std::size_t>(static_cast<std::size_t>(ns / kBinNs), kBins)] += 1;
    least = total == 0 ? ns : std::min(least, ns);
    most = total == 0 ? ns : std::max(most, ns);
    sum += ns;
    total += 1;
}

std::int64_t AnswerTimes::meanNs() const {
    return total == 0 ? 0 : sum / static_cast<std::int64_t>(total);
}

std::int64_t AnswerTimes::percentileNs(double share) const {
    if (total == 0) {
        return 0;
    }
    const auto wanted = static_cast<std::uint64_t>(std::ceil(share * static_cast<double>(total)));
    std::uint64_t seen = 0;
    for (std::size_t bin = 0; bin < kBins; ++bin) {
        seen += bins[bin];
        if (seen >= wanted && seen > 0) {
            const auto upper = static_cast<std::int64_t>(bin + 1) * kBinNs;
            return std::clamp(upper, least, most);
        }
    }
    return most;
}

} // namespace velora_decoding
