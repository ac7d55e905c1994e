#pragma once

#include <velora_protocol/Addresses.h>
#include <velora_protocol/MessageType.h>

#include <QObject>

#include <array>
#include <atomic>

// Which log messages the user wants to see, by type and by device address. Written by
// the user-interface thread through the slots, read by the reader thread without a lock.
class EventFilter : public QObject {
    Q_OBJECT

public:
    static constexpr int kAllTypes = kAllMessageTypes;
    // Flags are kept for addresses 0..126; messages of types 1..6 need 1..126.
    static constexpr int kAddressCount = velora_protocol::kLastDevice + 1;

    explicit EventFilter(QObject* parent = nullptr);

    int typeMask() const { return mask.load(std::memory_order_relaxed); }
    bool addressEnabled(int address) const;
    // Types 1..6 pass when their bit is set and their address is 1..126 and enabled;
    // type 7 (trash) passes on its bit alone.
    bool passes(int type, int address) const;

public slots:
    void setTypes(int types, bool enable);
    void setAddress(int address, bool state);
    void setAllAddresses(bool state);

private:
    std::atomic<int> mask{kAllTypes};
    std::array<std::atomic<bool>, kAddressCount> enabled;
};
