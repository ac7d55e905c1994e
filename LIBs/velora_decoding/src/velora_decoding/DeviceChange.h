#pragma once

#include <velora_decoding/DeviceStatus.h>

#include <velora_protocol/Timestamp.h>

namespace velora_decoding {

// A change of a device's presence or of its alarm or fault, with the time of the frame
// that showed it. The first outcome of polling an address is its initial state, not a
// change; so are a first report's norm and no fault.
struct DeviceChange {
    enum Kind : std::uint8_t { PresenceChanged, AlarmBegan, AlarmEnded, FaultBegan, FaultEnded };

    velora_protocol::Timestamp time;
    int address = 0;
    Kind kind = PresenceChanged;
    Presence presence = Presence::NotPolled; // the new one, for PresenceChanged
};

} // namespace velora_decoding
