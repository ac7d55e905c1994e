#pragma once

#include <velora_session/FrameRecord.h>

#include <velora_protocol/MessageType.h>

#include <cstdint>
#include <vector>

// The distinct frames of a session, numbered. A line repeats itself (the same poll of the
// same address, the same answer of a quiet device), so a record keeps the number of its
// kind in 2 bytes, and a kind is decoded, filtered or searched once for all its records.
//
// The first kPairKinds numbers stand for a type and an address alone: a gap, and every new
// frame once the numbers are used up, is of such a kind, and only its record has its bytes.
class FrameKinds {
public:
    using Kind = std::uint16_t;
    // A gap (0), the message types, and one for any other type.
    static constexpr int kTypes = kMessageTypeCount + 2;
    static constexpr Kind kPairKinds = kTypes * 256;

    // The kind of the record, numbered anew if it is new.
    Kind kindOf(const FrameRecord& record);
    void clear();

    // Every kind so far is below count().
    std::size_t count() const { return kPairKinds + frames.size(); }
    static bool hasFrame(Kind kind) { return kind >= kPairKinds; }
    // Type, address and bytes of a kind that has a frame; its time is 0.
    const FrameRecord& frame(Kind kind) const { return frames[kind - kPairKinds]; }
    int type(Kind kind) const { return hasFrame(kind) ? frame(kind).type : kind >> 8; }
    int address(Kind kind) const { return hasFrame(kind) ? frame(kind).address : kind & 0xff; }

private:
    // Type, address, size and bytes of a frame packed into 16 bytes, and its kind: an open
    // addressing table, at most half full; kind 0 (a pair kind) marks an empty slot.
    struct Slot {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        Kind kind = 0;
    };
    void grow();
    Slot& slotOf(std::uint64_t low, std::uint64_t high);

    std::vector<FrameRecord> frames;
    std::vector<Slot> table;
};
