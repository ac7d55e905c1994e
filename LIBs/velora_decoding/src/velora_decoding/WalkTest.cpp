#include <velora_decoding/WalkTest.h>

#include <algorithm>

namespace velora_decoding {

namespace {

using velora_protocol::PointState;

constexpr const char* kCheckIds[kWalkChecks] = {"loop1", "loop2", "line3", "line4", "tamper"};

bool before(const WalkEntry& entry, int address, WalkCheck check) {
    return entry.address != address ? entry.address < address : entry.check < check;
}

} // namespace

const char* walkCheckId(WalkCheck check) {
    return kCheckIds[static_cast<int>(check)];
}

std::optional<WalkCheck> walkCheckOf(const std::string& id) {
    for (int c = 0; c < kWalkChecks; ++c) {
        if (id == kCheckIds[c]) {
            return static_cast<WalkCheck>(c);
        }
    }
    return std::nullopt;
}

const char* walkResultId(WalkResult result) {
    switch (result) {
    case WalkResult::Passed:
        return "passed";
    case WalkResult::AlarmOnly:
        return "alarm_only";
    case WalkResult::NotTested:
        break;
    case WalkResult::NotUsed:
        return "not_used";
    }
    return "not_tested";
}

WalkResult WalkEntry::result() const {
    if (notUsed) {
        return WalkResult::NotUsed;
    }
    if (normal.known()) {
        return WalkResult::Passed;
    }
    return alarm.known() ? WalkResult::AlarmOnly : WalkResult::NotTested;
}

WalkTest::WalkTest(std::vector<int> configured) {
    std::sort(configured.begin(), configured.end());
    configured.erase(std::unique(configured.begin(), configured.end()), configured.end());
    checks.reserve(configured.size() * kWalkChecks);
    for (const int address : configured) {
        for (int c = 0; c < kWalkChecks; ++c) {
            WalkEntry entry;
            entry.address = address;
            entry.check = static_cast<WalkCheck>(c);
            checks.push_back(entry);
        }
    }
}

void WalkTest::clear() {
    for (WalkEntry& entry : checks) {
        entry.alarm = entry.normal = velora_protocol::Timestamp{};
    }
    strays.clear();
}

WalkEntry* WalkTest::find(int address, WalkCheck check) {
    const auto it =
        std::lower_bound(checks.begin(), checks.end(), std::make_pair(address, check),
                         [](const WalkEntry& entry, const std::pair<int, WalkCheck>& key) {
                             return before(entry, key.first, key.second);
                         });
    return it != checks.end() && it->address == address && it->check == check ? &*it : nullptr;
}

const WalkEntry* WalkTest::entry(int address, WalkCheck check) const {
    return const_cast<WalkTest*>(this)->find(address, check);
}

// The first alarm opens a check, the first normal state after it closes it; later ones
// change nothing.
void WalkTest::seen(const PointChange& change) {
    WalkEntry* entry = find(change.address, change.check);
    if (entry == nullptr) {
        if (change.state == PointState::Alarm) {
            strays.push_back(change);
        }
        return;
    }
    if (change.state == PointState::Alarm && !entry->alarm.known()) {
        entry->alarm = change.time;
    } else if (change.state == PointState::Norm && entry->alarm.known() && !entry->normal.known()) {
        entry->normal = change.time;
    }
}

bool WalkTest::setNotUsed(int address, WalkCheck check, bool notUsed) {
    WalkEntry* entry = find(address, check);
    if (entry != nullptr) {
        entry->notUsed = notUsed;
    }
    return entry != nullptr;
}

std::size_t WalkTest::passed() const {
    return static_cast<std::size_t>(std::count_if(checks.begin(), checks.end(), [](const auto& e) {
        return e.result() == WalkResult::Passed;
    }));
}

std::size_t WalkTest::counted() const {
    return static_cast<std::size_t>(
        std::count_if(checks.begin(), checks.end(), [](const auto& e) { return !e.notUsed; }));
}

} // namespace velora_decoding
