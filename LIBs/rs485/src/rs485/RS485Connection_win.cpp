#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <rs485/SystemReason.h>
#include <velora_protocol/LineSpeed.h>

#include <windows.h>

namespace rs485 {

namespace {

constexpr DWORD kPurgeBoth = PURGE_TXCLEAR | PURGE_RXCLEAR;

void setDataBits(DCB& dcb) {
    dcb.ByteSize = 8;
}

void setStopBits(DCB& dcb) {
    dcb.StopBits = ONESTOPBIT;
}

// Mark or space parity sent; fParity stays 0, so received characters are taken whatever
// their ninth bit.
void setParity(DCB& dcb, bool mark) {
    dcb.Parity = mark ? MARKPARITY : SPACEPARITY;
}

void setNoFlowControl(DCB& dcb) {
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
}

// Filled from zero, not from GetCommState: no error or null stripping, no abort on error,
// all special characters 0.
static_assert(sizeof(DCB) == 28, "the device control block is 28 bytes");

DCB lineSettings(DWORD baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baudRate;
    dcb.fBinary = 1;
    setDataBits(dcb);
    setParity(dcb, false);
    setStopBits(dcb);
    setNoFlowControl(dcb);
    return dcb;
}

// 0: reads return at once with what is buffered.
COMMTIMEOUTS timeoutsFor(DWORD readTimeout) {
    COMMTIMEOUTS t{};
    if (readTimeout != 0) {
        t.ReadTotalTimeoutConstant = readTimeout;
    } else {
        t.ReadIntervalTimeout = MAXDWORD;
    }
    return t;
}

// A one-byte read returns as soon as a byte is there, with 0 bytes after readTimeout of
// silence; longer reads also end 10 ms after a character without the next one.
// A time-out of 0 keeps its meaning here: without a total time-out the first read would
// wait for a byte for ever.
COMMTIMEOUTS openTimeouts(DWORD readTimeout) {
    if (readTimeout == 0) {
        return timeoutsFor(0);
    }
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = RS485Connection::kIntervalTimeout;
    t.ReadTotalTimeoutConstant = readTimeout;
    return t;
}

// The one place that turns GetLastError() into the user's message, with a hint for common
// causes.
std::string openErrorText(const std::string& portName, DWORD error) {
    std::string text;
    switch (error) {
    case ERROR_ACCESS_DENIED: // share mode 0: another handle is open
    case ERROR_SHARING_VIOLATION:
        text = "Порт " + portName + " занят другой программой.";
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        text = "Порт " + portName + " не найден: устройство не подключено.";
        break;
    default:
        text = "Не удалось открыть порт " + portName + ".";
        break;
    }
    return withSystemReason(text, systemReason(error));
}

std::string settingsErrorText(const std::string& portName, DWORD error) {
    return withSystemReason("Порт " + portName + " не принял настройки линии.",
                            systemReason(error));
}

} // namespace

struct RS485Connection::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::uint32_t readTimeout = kDefaultReadTimeout;
    float msPerChar = 0.0f;
    std::string lastError;

    // Closes the handle after a failed configuration; it stays if CloseHandle fails.
    bool failOpen(std::string text) {
        lastError = std::move(text);
        if (CloseHandle(handle)) {
            handle = INVALID_HANDLE_VALUE;
        }
        return false;
    }
};

RS485Connection::RS485Connection()
    : state(new State) {}

RS485Connection::~RS485Connection() {
    if (isOpen()) {
        close();
    }
    delete state;
}

bool RS485Connection::open(const std::string& portName, std::uint32_t baudRate) {
    state->lastError.clear();
    const std::string path = "\\\\.\\" + portName;
    state->handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (state->handle == INVALID_HANDLE_VALUE) {
        state->lastError = openErrorText(portName, GetLastError());
        return false;
    }
    DCB dcb = lineSettings(baudRate);
    // Mark parity asked for while closed holds from the open on.
    setParity(dcb, markParityRequested);
    state->msPerChar = static_cast<float>(velora_protocol::characterMs(baudRate));
    if (!SetCommState(state->handle, &dcb)) {
        return state->failOpen(settingsErrorText(portName, GetLastError()));
    }
    COMMTIMEOUTS timeouts = openTimeouts(state->readTimeout);
    if (!SetCommTimeouts(state->handle, &timeouts)) {
        return state->failOpen(settingsErrorText(portName, GetLastError()));
    }
    PurgeComm(state->handle, kPurgeBoth);
    return true;
}

bool RS485Connection::close() {
    // INVALID_HANDLE_VALUE is also the pseudo handle of the own process, which CloseHandle
    // "closes" with success: without a port there is nothing to report as closed.
    if (!isOpen() || !CloseHandle(state->handle)) {
        return false;
    }
    state->handle = INVALID_HANDLE_VALUE;
    markParityRequested = false;
    return true;
}

bool RS485Connection::isOpen() const {
    return state->handle != INVALID_HANDLE_VALUE;
}

void RS485Connection::purge() {
    if (isOpen()) {
        PurgeComm(state->handle, kPurgeBoth);
    }
}

std::uint32_t RS485Connection::read(void* buffer, std::uint32_t length) {
    if (!isOpen() || length == 0) {
        return 0;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t total = 0;
    while (total < length) {
        DWORD got = 0;
        if (!ReadFile(state->handle, bytes + total, length - total, &got, nullptr)) {
            throw DisconnectException();
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

std::uint32_t RS485Connection::write(const void* buffer, std::uint32_t length) {
    if (!isOpen()) {
        return 0;
    }
    PurgeComm(state->handle, PURGE_RXCLEAR);
    DWORD written = 0;
    if (!WriteFile(state->handle, buffer, length, &written, nullptr)) {
        throw DisconnectException();
    }
    FlushFileBuffers(state->handle);
    // Let the last character leave the converter before the line is turned round.
    Sleep(static_cast<DWORD>(static_cast<float>(length) * state->msPerChar + 10.0f));
    return written;
}

void RS485Connection::setReadTimeout(std::uint32_t milliseconds) {
    state->readTimeout = milliseconds;
    if (isOpen()) {
        COMMTIMEOUTS timeouts = timeoutsFor(milliseconds);
        SetCommTimeouts(state->handle, &timeouts);
    }
}

bool RS485Connection::lowLatency() const {
    // The FTDI latency timer is a driver setting (Device Manager, Advanced).
    return false;
}

std::uint32_t RS485Connection::readTimeout() const {
    return state->readTimeout;
}

void RS485Connection::setBaudRate(std::uint32_t baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!isOpen() || !GetCommState(state->handle, &dcb)) {
        return;
    }
    dcb.BaudRate = baudRate;
    SetCommState(state->handle, &dcb);
    state->msPerChar = static_cast<float>(velora_protocol::characterMs(baudRate));
}

std::uint32_t RS485Connection::baudRate() const {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!isOpen() || !GetCommState(state->handle, &dcb)) {
        return 0;
    }
    return dcb.BaudRate;
}

void RS485Connection::setMarkParity(bool mark) {
    if (mark == markParityRequested) {
        return;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (isOpen() && GetCommState(state->handle, &dcb)) {
        const BYTE from = mark ? SPACEPARITY : MARKPARITY;
        if (dcb.Parity == from) {
            setParity(dcb, mark);
            SetCommState(state->handle, &dcb);
        }
    }
    markParityRequested = mark;
}

std::string RS485Connection::lastErrorText() const {
    return state->lastError;
}

} // namespace rs485
