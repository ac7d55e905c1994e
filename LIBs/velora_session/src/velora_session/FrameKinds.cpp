#include <velora_session/FrameKinds.h>

#include <algorithm>
#include <cstring>
#include <limits>

FrameKinds::Slot& FrameKinds::slotOf(std::uint64_t low, std::uint64_t high) {
    const std::size_t mask = table.size() - 1;
    const std::uint64_t mixed = low * 0x9E3779B97F4A7C15ull ^ (high + 1) * 0xBF58476D1CE4E5B9ull;
    for (std::size_t i = std::size_t(mixed ^ mixed >> 31) & mask;; i = (i + 1) & mask) {
        Slot& slot = table[i];
        if (slot.kind == 0 || (slot.low == low && slot.high == high)) {
            return slot;
        }
    }
}

void FrameKinds::grow() {
    std::vector<Slot> old(std::max<std::size_t>(1024, table.size() * 2));
    old.swap(table);
    for (const Slot& slot : old) {
        if (slot.kind != 0) {
            slotOf(slot.low, slot.high) = slot;
        }
    }
}

FrameKinds::Kind FrameKinds::kindOf(const FrameRecord& record) {
    const int type = std::min<int>(record.type, kTypes - 1);
    const auto pair = Kind(type << 8 | record.address);
    if (record.isGap()) {
        return pair;
    }
    // Type, address, size and the ten bytes a frame can have, zeros beyond its size.
    std::uint8_t packed[16] = {std::uint8_t(type), record.address, record.size};
    std::memcpy(packed + 3, record.data, record.size);
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::memcpy(&low, packed, 8);
    std::memcpy(&high, packed + 8, 8);
    if (2 * frames.size() >= table.size()) {
        grow();
    }
    Slot& slot = slotOf(low, high);
    if (slot.kind != 0) {
        return slot.kind;
    }
    if (count() > std::numeric_limits<Kind>::max()) {
        return pair;
    }
    FrameRecord frame;
    frame.type = std::uint8_t(type);
    frame.address = record.address;
    frame.size = record.size;
    std::memcpy(frame.data, record.data, record.size);
    const auto kind = Kind(count());
    frames.push_back(frame);
    slot = Slot{low, high, kind};
    return kind;
}

void FrameKinds::clear() {
    frames.clear();
    table.clear();
}
