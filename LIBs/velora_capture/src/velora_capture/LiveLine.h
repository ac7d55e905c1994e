#pragma once

#include <csignal>
#include <cstdint>
#include <functional>

namespace rs485 {
class RS485Connection;
}
namespace velora_listener {
class ProtocolParser;
}

namespace velora_capture {

// How reading a live line ended.
enum class LiveEnd { Stopped, ConverterLost, OutputFailed };

// Lets SIGINT and SIGTERM end reading: the returned flag becomes non-zero, and blocking
// reads return instead of restarting.
const volatile std::sig_atomic_t& catchStopSignals();
// Sets that flag as a stop signal would.
void requestStop();

// Reads an open port byte by byte on the calling thread and feeds every byte, timed on
// arrival, to the parser, until `stop` is set (by a signal handler), the converter is lost or
// `flush` returns false. Bytes that arrived before the call are dropped. `flush` runs at most
// every 100 ms and whenever the line falls silent, so that a reader at the other end of a
// pipe keeps up without a write per frame. `onByte`, when set, sees every byte first.
LiveEnd readLiveLine(rs485::RS485Connection& connection, velora_listener::ProtocolParser& parser,
                     const volatile std::sig_atomic_t& stop, const std::function<bool()>& flush,
                     const std::function<void(std::uint8_t)>& onByte = {});

} // namespace velora_capture
