#include <velora_listener/LineReader.h>
#include <velora_listener/ProtocolParser.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <velora_protocol/Timestamp.h>

#include <chrono>
#include <utility>

namespace velora_listener {

void LineReader::askErrorCounts() {
    constexpr std::int64_t kCountsEveryNs = 1'000'000'000;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
    if (now - lastCountsNs < kCountsEveryNs) {
        return;
    }
    lastCountsNs = now;
    if (ParserEventListener* listener = parser.eventListener()) {
        listener->onErrorCounts(connection.errorCounts());
    }
}

LineReader::LineReader(rs485::RS485Connection& connection, ProtocolParser& parser,
                       ReadCall readCall)
    : connection(connection)
    , parser(parser)
    , readCall(std::move(readCall)) {}

ReadEnd LineReader::run(const std::function<bool()>& stopRequested) {
    constexpr std::int64_t kFlushEveryNs = 100'000'000;
    std::int64_t lastFlush = 0;
    try {
        connection.purge();
        while (!stopRequested()) {
            askErrorCounts();
            std::uint8_t byte = 0;
            const bool got = (readCall ? readCall(&byte, 1) : connection.read(&byte, 1)) == 1;
            const auto now = velora_protocol::Timestamp::now();
            if (got) {
                if (byteTap) {
                    byteTap(byte);
                }
                parser.feed(byte, now);
            }
            if (flushOutput && (!got || now.steadyNs - lastFlush >= kFlushEveryNs)) {
                if (!flushOutput()) {
                    return ReadEnd::OutputFailed;
                }
                lastFlush = now.steadyNs;
            }
        }
    } catch (const rs485::DisconnectException&) {
        return ReadEnd::ConverterLost;
    }
    return ReadEnd::Stopped;
}

} // namespace velora_listener
