#pragma once

#include <rs485/ErrorCounts.h>

#include <cstdint>
#include <memory>
#include <string>

namespace rs485 {

class RS485ConnectionPrivate;

// The serial port of a USB-RS485 converter, opened exclusively and set up for the Velora
// line: 8 data bits, space parity sent, parity not checked, one stop bit, no flow control,
// DTR and RTS off. A read waits at most the read time-out for the first character, then
// takes every character that has arrived. A failed read or write throws DisconnectException.
//
// The reader thread calls purge(), read() and errorCounts(); open() and close() are called only
// while no reader runs. There is no lock.
class RS485Connection {
public:
    static constexpr std::uint32_t kDefaultReadTimeout = 200; // ms

    RS485Connection();
    ~RS485Connection();

    RS485Connection(const RS485Connection&) = delete;
    RS485Connection& operator=(const RS485Connection&) = delete;

    // portName: COM3 on Windows; an absolute device path or a name under /dev (ttyUSB0)
    // elsewhere. Precondition: closed. Every failure leaves the connection closed.
    bool open(const std::string& portName, std::uint32_t baudRate);
    bool close();
    bool isOpen() const;

    // Drops unread input and unsent output.
    void purge();
    // Returns the bytes read, fewer than length (0 on a silent line) after a time-out.
    std::uint32_t read(void* buffer, std::uint32_t length);
    // One read: every byte that has arrived, up to length, as soon as there is one; 0 after
    // the read time-out on a silent line.
    std::uint32_t readArrived(void* buffer, std::uint32_t length);
    std::uint32_t write(const void* buffer, std::uint32_t length);

    void setReadTimeout(std::uint32_t milliseconds);
    std::uint32_t readTimeout() const;

    void setBaudRate(std::uint32_t baudRate);
    // 0 when closed or when the port cannot tell.
    std::uint32_t baudRate() const;

    // Mark parity sends the ninth bit of every character as 1, space parity as 0. Set while
    // closed, it is what the next open() uses; close() returns to space parity.
    void setMarkParity(bool mark);
    bool markParity() const;

    // True when the driver hands over each byte at once (Linux: it accepted
    // ASYNC_LOW_LATENCY, which turns an FTDI chip's 16 ms latency timer into 1 ms). False
    // where it refused (pseudo-terminals, other chips) or where the latency is a driver
    // setting (Windows); the port works either way, with coarser byte times.
    bool lowLatency() const;

    // The driver's receive error counts since open(). A converter that resets its counters
    // is counted on from its new base, so the counts never go down. Not kept when closed.
    ErrorCounts errorCounts();

    // The system's reason for the last failed open, with a hint where the cause is common;
    // empty after a successful open.
    std::string lastErrorText() const;

private:
    // The platform's part: the port's handle and the system calls on it.
    std::unique_ptr<RS485ConnectionPrivate> d;
};

} // namespace rs485
