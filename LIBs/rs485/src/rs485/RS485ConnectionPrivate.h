#pragma once

#include <rs485/ErrorCounts.h>

#include <cstdint>
#include <string>

namespace rs485 {

// What bounds one read, as the Windows port time-outs do: it waits at most `total` ms for
// the first character (not at all with returnAtOnce), then returns at once with every
// character that has arrived.
struct ReadTimeouts {
    std::uint32_t total = 0;
    bool returnAtOnce = false;
};

// The state of an RS485Connection and what differs per system: opening the port with the
// line's settings, closing it, reading, writing, purging, speed, parity and time-outs. One
// definition of the operations per platform (RS485Connection_posix.cpp,
// RS485Connection_win.cpp); RS485Connection calls them only on an open port, except
// openPort().
class RS485ConnectionPrivate {
public:
    // A file descriptor or a Windows HANDLE; -1 is no port on both (INVALID_HANDLE_VALUE).
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    // Opens the port set up for the line with `timeouts`, the parity sent as markParity
    // says. A failure sets lastError and leaves no handle.
    bool openPort(const std::string& portName, std::uint32_t baudRate);
    // Gives up the handle; false when the system reports a failure.
    bool closePort();
    void purgeBoth();
    // One read bounded by `timeouts`: 0 after a silent line; throws DisconnectException.
    std::uint32_t readSome(std::uint8_t* buffer, std::uint32_t length);
    // Drops unread input, writes every byte and waits until the driver took them; throws
    // DisconnectException.
    std::uint32_t writeAll(const std::uint8_t* buffer, std::uint32_t length);
    // Hands `timeouts` to the open port.
    void applyTimeouts();
    // False when the speed cannot be set (unknown to the system, settings unreadable).
    bool setSpeed(std::uint32_t baudRate);
    // 0 when the port cannot tell.
    std::uint32_t speed() const;
    // Sends mark or space parity, if the port sends the other one now.
    void switchParity(bool mark);
    // The driver's error counts as it keeps them (since it started, or on Windows since
    // open); false where it keeps none.
    bool driverErrorCounts(ErrorCounts& counts);

    Handle handle = kNoHandle;
    std::uint32_t readTimeout = 0;
    ReadTimeouts timeouts;
    float msPerChar = 0.0f;
    bool markParity = false;
    bool lowLatency = false;
    std::string lastError;
    // The driver's last counts and the counts since open.
    ErrorCounts driverCounts;
    ErrorCounts sinceOpen;
};

} // namespace rs485
