#pragma once

#include <velora_listener/ListenerThread.h>
#include <velora_listener/ParserEventListener.h>

#include <rs485/RS485Connection.h>
#include <velora_protocol/LineSpeed.h>

#include <cstdint>
#include <functional>
#include <string>

namespace velora_listener {

// What the user interface drives the line through: the converter's port and the reader
// thread. Pausing is stop() with the port left open; resuming is start(). The listener is
// not owned and must outlive every reader.
class VeloraListener {
public:
    static constexpr std::uint32_t kBaudRate = velora_protocol::kBaudRate;

    explicit VeloraListener(ParserEventListener* listener);
    // Stops a running reader before the port closes.
    virtual ~VeloraListener();

    VeloraListener(const VeloraListener&) = delete;
    VeloraListener& operator=(const VeloraListener&) = delete;

    // portName as the user picked it (COM3, ttyUSB0 or /dev/ttyUSB0), UTF-8.
    bool open(const std::string& portName);
    // Stops a running reader first.
    bool close();
    bool isOpen() const { return connection.isOpen(); }
    void start();
    void stop();
    bool isListening() const { return thread.isRunning(); }
    // Every byte read, before the parser; see ListenerThread::setByteTap.
    void setByteTap(std::function<void(std::uint8_t)> tap) { thread.setByteTap(std::move(tap)); }
    // See ListenerThread::visitParser.
    bool visitParser(const std::function<void(const ProtocolParser&)>& visit) {
        return thread.visitParser(visit);
    }

    // Whether the driver hands over bytes at once; see RS485Connection::lowLatency().
    bool lowLatency() const { return connection.lowLatency(); }

    // Why the last open() failed, for the error message.
    std::string lastErrorText() const { return connection.lastErrorText(); }

private:
    rs485::RS485Connection connection;
    ListenerThread thread;
};

} // namespace velora_listener
