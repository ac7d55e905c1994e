#include <velora_listener/LineReader.h>
#include <velora_listener/ProtocolParser.h>

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_protocol/Timestamp.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

namespace velora_listener {

namespace {

constexpr std::int64_t kCharacterNs = velora_protocol::characterTimeNs();

} // namespace

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

velora_protocol::Timestamp LineReader::arrivalTime(const velora_protocol::Timestamp& read,
                                                   const velora_protocol::Timestamp& previousRead,
                                                   std::uint32_t later) {
    // Both clocks stay at or after the previous read's, each read of them a little apart.
    const std::int64_t since =
        std::min(read.steadyNs - previousRead.steadyNs, read.wallNs - previousRead.wallNs);
    const std::int64_t back =
        std::min(static_cast<std::int64_t>(later) * kCharacterNs, std::max<std::int64_t>(since, 0));
    return {read.wallNs - back, read.steadyNs - back};
}

void LineReader::hand(const std::uint8_t* bytes, std::uint32_t count,
                      const velora_protocol::Timestamp& read,
                      const velora_protocol::Timestamp& previous) {
    for (std::uint32_t i = 0; i < count; ++i) {
        if (byteTap) {
            byteTap(bytes[i]);
        }
        parser.feed(bytes[i], arrivalTime(read, previous, count - 1 - i));
    }
}

ReadEnd LineReader::run(const std::function<bool()>& stopRequested) {
    constexpr std::int64_t kFlushEveryNs = 100'000'000;
    std::int64_t lastFlush = 0;
    std::array<std::uint8_t, kReadSize> buffer{};
    try {
        connection.purge();
        auto previousRead = velora_protocol::Timestamp::now();
        while (!stopRequested()) {
            askErrorCounts();
            const std::uint32_t got = readCall ? readCall(buffer.data(), kReadSize)
                                               : connection.readArrived(buffer.data(), kReadSize);
            const auto now = velora_protocol::Timestamp::now();
            hand(buffer.data(), got, now, previousRead);
            // A read that found nothing bounds the next one's bytes as well.
            previousRead = now;
            if (flushOutput && (got == 0 || now.steadyNs - lastFlush >= kFlushEveryNs)) {
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
