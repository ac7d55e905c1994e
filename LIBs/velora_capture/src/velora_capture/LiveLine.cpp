#include <velora_capture/LiveLine.h>
#include <velora_capture/Os.h>

#include <velora_listener/LineReader.h>
#include <velora_listener/ProtocolParser.h>

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
    velora_listener::LineReader reader(connection, parser);
    reader.setFlush(flush);
    reader.setByteTap(onByte);
    const LiveEnd end = reader.run([&stop] { return stop != 0; });
    parser.endOfStream();
    return end;
}

} // namespace velora_capture
