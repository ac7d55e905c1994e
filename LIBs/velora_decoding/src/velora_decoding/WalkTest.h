#pragma once

#include <velora_decoding/PointChange.h>

#include <cstddef>
#include <vector>

namespace velora_decoding {

// How one check of a walk test ended.
enum class WalkResult : std::uint8_t {
    Passed,    // its alarm and then its return to normal were seen
    AlarmOnly, // its alarm, but not yet its return to normal
    NotTested, // no alarm seen
    NotUsed,   // marked as not used: it does not count
};

// "passed", "alarm_only", "not_tested", "not_used".
const char* walkResultId(WalkResult result);

// One check of one configured device: when its first alarm came and when it first returned
// to normal after it.
struct WalkEntry {
    int address = 0;
    WalkCheck check = WalkCheck::Loop1;
    velora_protocol::Timestamp alarm;
    velora_protocol::Timestamp normal;
    bool notUsed = false;

    WalkResult result() const;
};

// The walk test of an installation: every check of every configured device, set off and
// brought back while the line is watched. It is computed from the line's point changes
// alone, so a saved capture with the same configuration and marks gives the same result.
// Alarms on addresses the configuration does not list are kept apart and never counted.
class WalkTest {
public:
    // The configured device addresses, each with all its checks.
    explicit WalkTest(std::vector<int> configured = {});

    // Forgets what the line showed; the marks stay.
    void clear();
    void seen(const PointChange& change);
    // Whether the check counts; false for a check that is not configured.
    bool setNotUsed(int address, WalkCheck check, bool notUsed);

    // By address, then check.
    const std::vector<WalkEntry>& entries() const { return checks; }
    const WalkEntry* entry(int address, WalkCheck check) const;
    // "проверено N из M": the passed checks and those that count.
    std::size_t passed() const;
    std::size_t counted() const;
    // Alarms of addresses the configuration does not list, in the order they came.
    const std::vector<PointChange>& strayAlarms() const { return strays; }

private:
    WalkEntry* find(int address, WalkCheck check);

    std::vector<WalkEntry> checks;
    std::vector<PointChange> strays;
};

} // namespace velora_decoding
