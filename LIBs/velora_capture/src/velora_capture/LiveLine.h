#pragma once

#include <velora_listener/LineReader.h>

#include <csignal>
#include <cstdint>
#include <functional>

namespace rs485 {
class RS485Connection;
}

namespace velora_capture {

using LiveEnd = velora_listener::ReadEnd;

// Lets SIGINT and SIGTERM end reading: the returned flag becomes non-zero, and blocking
// reads return instead of restarting.
const volatile std::sig_atomic_t& catchStopSignals();
// Sets that flag as a stop signal would.
void requestStop();

// Runs the line's reading loop (velora_listener::LineReader) until `stop` is set by a signal
// handler, the converter is lost or `flush` returns false, then ends the parser's stream as
// the end of a replay does (ProtocolParser::endOfStream). `onByte`, when set, sees every
// byte first.
LiveEnd readLiveLine(rs485::RS485Connection& connection, velora_listener::ProtocolParser& parser,
                     const volatile std::sig_atomic_t& stop, const std::function<bool()>& flush,
                     const std::function<void(std::uint8_t)>& onByte = {});

} // namespace velora_capture
