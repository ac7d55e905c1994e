#include <velora_capture/LiveLine.h>
#include <velora_capture/Os.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/Timestamp.h>

namespace velora_capture {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

} // namespace

const volatile std::sig_atomic_t& catchStopSignals() {
    os::catchStopRequests(onStopSignal);
    return stopRequested;
}

void requestStop() {
    stopRequested = 1;
}

LiveEnd readLiveLine(rs485::RS485Connection& connection, velora_listener::ProtocolParser& parser,
                     const volatile std::sig_atomic_t& stop, const std::function<bool()>& flush,
                     const std::function<void(std::uint8_t)>& onByte) {
    constexpr std::int64_t kFlushEveryNs = 100'000'000;
    std::int64_t lastFlush = 0;
    try {
        connection.purge();
        while (!stop) {
            std::uint8_t byte = 0;
            const bool got = connection.read(&byte, 1) == 1;
            const auto now = velora_protocol::Timestamp::now();
            if (got) {
                if (onByte) {
                    onByte(byte);
                }
                parser.feed(byte, now);
            }
            if (!got || now.steadyNs - lastFlush >= kFlushEveryNs) {
                if (!flush()) {
                    return LiveEnd::OutputFailed;
                }
                lastFlush = now.steadyNs;
            }
        }
    } catch (const rs485::DisconnectException&) {
        return LiveEnd::ConverterLost;
    }
    return LiveEnd::Stopped;
}

} // namespace velora_capture
