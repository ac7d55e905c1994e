#include <rs485/RS485Connection.h>
#include <rs485/RS485ConnectionPrivate.h>

#include <chrono>
#include <thread>

namespace rs485 {

namespace {

// A character of the line as the port sends it: start bit, 8 data bits, the parity bit and
// one stop bit.
constexpr std::uint32_t kBitsPerCharacter = 11;

float characterMs(std::uint32_t baudRate) {
    return static_cast<float>(1000.0 * kBitsPerCharacter / baudRate);
}

// A read returns as soon as a byte is there, with every byte waiting, or with 0 bytes after
// readTimeout of silence; 0: at once with what is buffered.
ReadTimeouts timeoutsFor(std::uint32_t readTimeout) {
    return {readTimeout, readTimeout == 0};
}

// What a counter added since `before`; one that went down was reset and counts from 0.
std::uint64_t added(std::uint64_t now, std::uint64_t before) {
    return now >= before ? now - before : now;
}

} // namespace

RS485Connection::RS485Connection()
    : d(std::make_unique<RS485ConnectionPrivate>()) {
    d->readTimeout = kDefaultReadTimeout;
}

RS485Connection::~RS485Connection() {
    if (isOpen()) {
        close();
    }
}

bool RS485Connection::open(const std::string& portName, std::uint32_t baudRate) {
    d->lastError.clear();
    d->timeouts = timeoutsFor(d->readTimeout);
    if (!d->openPort(portName, baudRate)) {
        return false;
    }
    d->msPerChar = characterMs(baudRate);
    d->driverCounts = ErrorCounts{};
    d->sinceOpen = ErrorCounts{};
    d->driverErrorCounts(d->driverCounts);
    return true;
}

bool RS485Connection::close() {
    if (!isOpen()) {
        return false;
    }
    const bool closed = d->closePort();
    if (!isOpen()) {
        d->markParity = false;
    }
    return closed;
}

bool RS485Connection::isOpen() const {
    return d->handle != RS485ConnectionPrivate::kNoHandle;
}

void RS485Connection::purge() {
    if (isOpen()) {
        d->purgeBoth();
    }
}

std::uint32_t RS485Connection::read(void* buffer, std::uint32_t length) {
    if (!isOpen() || length == 0) {
        return 0;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t total = 0;
    while (total < length) {
        const std::uint32_t got = d->readSome(bytes + total, length - total);
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

std::uint32_t RS485Connection::readArrived(void* buffer, std::uint32_t length) {
    if (!isOpen() || length == 0) {
        return 0;
    }
    return d->readSome(static_cast<std::uint8_t*>(buffer), length);
}

std::uint32_t RS485Connection::write(const void* buffer, std::uint32_t length) {
    if (!isOpen()) {
        return 0;
    }
    const std::uint32_t written = d->writeAll(static_cast<const std::uint8_t*>(buffer), length);
    // Let the last character leave the converter before the line is turned round.
    const auto sleepMs =
        static_cast<std::uint32_t>(static_cast<float>(length) * d->msPerChar + 10.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    return written;
}

void RS485Connection::setReadTimeout(std::uint32_t milliseconds) {
    d->readTimeout = milliseconds;
    if (isOpen()) {
        d->timeouts = timeoutsFor(milliseconds);
        d->applyTimeouts();
    }
}

std::uint32_t RS485Connection::readTimeout() const {
    return d->readTimeout;
}

void RS485Connection::setBaudRate(std::uint32_t baudRate) {
    if (isOpen() && d->setSpeed(baudRate)) {
        d->msPerChar = characterMs(baudRate);
    }
}

std::uint32_t RS485Connection::baudRate() const {
    return isOpen() ? d->speed() : 0;
}

void RS485Connection::setMarkParity(bool mark) {
    if (mark == d->markParity) {
        return;
    }
    if (isOpen()) {
        d->switchParity(mark);
    }
    d->markParity = mark;
}

bool RS485Connection::markParity() const {
    return d->markParity;
}

bool RS485Connection::lowLatency() const {
    return isOpen() && d->lowLatency;
}

ErrorCounts RS485Connection::errorCounts() {
    ErrorCounts now;
    if (!isOpen() || !d->driverErrorCounts(now)) {
        return ErrorCounts{};
    }
    ErrorCounts& total = d->sinceOpen;
    const ErrorCounts& before = d->driverCounts;
    total.kept = true;
    total.framing += added(now.framing, before.framing);
    total.parity += added(now.parity, before.parity);
    total.overrun += added(now.overrun, before.overrun);
    total.breaks += added(now.breaks, before.breaks);
    d->driverCounts = now;
    return total;
}

std::string RS485Connection::lastErrorText() const {
    return d->lastError;
}

} // namespace rs485
