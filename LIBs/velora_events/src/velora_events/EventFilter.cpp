#include <velora_events/EventFilter.h>

#include <velora_protocol/MessageType.h>

EventFilter::EventFilter(QObject* parent)
    : QObject(parent) {
    for (auto& flag : enabled) {
        flag.store(true, std::memory_order_relaxed);
    }
}

bool EventFilter::addressEnabled(int address) const {
    return address >= 0 && address < kAddressCount &&
           enabled[static_cast<std::size_t>(address)].load(std::memory_order_relaxed);
}

bool EventFilter::passes(int type, int address) const {
    if (type < mtQuery || type > mtTrash || (typeMask() & messageTypeBit(type)) == 0) {
        return false;
    }
    return type == mtTrash || (address >= velora_protocol::kFirstDevice && addressEnabled(address));
}

void EventFilter::setTypes(int types, bool enable) {
    const int bits = types & kAllTypes;
    if (enable) {
        mask.fetch_or(bits, std::memory_order_relaxed);
    } else {
        mask.fetch_and(~bits, std::memory_order_relaxed);
    }
}

void EventFilter::setAddress(int address, bool state) {
    if (address >= velora_protocol::kFirstDevice && address < kAddressCount) {
        enabled[static_cast<std::size_t>(address)].store(state, std::memory_order_relaxed);
    }
}

void EventFilter::setAllAddresses(bool state) {
    for (auto& flag : enabled) {
        flag.store(state, std::memory_order_relaxed);
    }
}
