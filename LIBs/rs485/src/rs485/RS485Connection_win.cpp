#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <rs485/RS485ConnectionPrivate.h>
#include <rs485/SystemReason.h>

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

// The port's time-outs for a read bounded by `timeouts`. MAXDWORD between characters with
// no total returns at once with what is buffered; with MAXDWORD as the multiplier too, a
// read returns at once with what is buffered, else with the first byte to arrive within the
// total constant.
COMMTIMEOUTS commTimeouts(const ReadTimeouts& timeouts) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    if (!timeouts.returnAtOnce) {
        t.ReadTotalTimeoutMultiplier = MAXDWORD;
        t.ReadTotalTimeoutConstant = timeouts.total;
    }
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

HANDLE port(RS485ConnectionPrivate::Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The port's settings; false when they cannot be read.
bool readSettings(RS485ConnectionPrivate::Handle handle, DCB& dcb) {
    dcb = DCB{};
    dcb.DCBlength = sizeof(DCB);
    return GetCommState(port(handle), &dcb);
}

} // namespace

bool RS485ConnectionPrivate::openPort(const std::string& portName, std::uint32_t baudRate) {
    const std::string path = "\\\\.\\" + portName;
    const HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        lastError = openErrorText(portName, GetLastError());
        return false;
    }
    handle = reinterpret_cast<Handle>(opened);
    // Closes the handle after a failed configuration; it stays if CloseHandle fails.
    const auto fail = [&] {
        lastError = settingsErrorText(portName, GetLastError());
        closePort();
        return false;
    };
    DCB dcb = lineSettings(baudRate);
    // Mark parity asked for while closed holds from the open on.
    setParity(dcb, markParity);
    if (!SetCommState(opened, &dcb)) {
        return fail();
    }
    COMMTIMEOUTS t = commTimeouts(timeouts);
    if (!SetCommTimeouts(opened, &t)) {
        return fail();
    }
    PurgeComm(opened, kPurgeBoth);
    return true;
}

bool RS485ConnectionPrivate::closePort() {
    if (!CloseHandle(port(handle))) {
        return false;
    }
    handle = kNoHandle;
    return true;
}

void RS485ConnectionPrivate::purgeBoth() {
    PurgeComm(port(handle), kPurgeBoth);
}

std::uint32_t RS485ConnectionPrivate::readSome(std::uint8_t* buffer, std::uint32_t length) {
    DWORD got = 0;
    if (!ReadFile(port(handle), buffer, length, &got, nullptr)) {
        throw DisconnectException();
    }
    return got;
}

std::uint32_t RS485ConnectionPrivate::writeAll(const std::uint8_t* buffer, std::uint32_t length) {
    PurgeComm(port(handle), PURGE_RXCLEAR);
    DWORD written = 0;
    if (!WriteFile(port(handle), buffer, length, &written, nullptr)) {
        throw DisconnectException();
    }
    FlushFileBuffers(port(handle));
    return written;
}

void RS485ConnectionPrivate::applyTimeouts() {
    COMMTIMEOUTS t = commTimeouts(timeouts);
    SetCommTimeouts(port(handle), &t);
}

bool RS485ConnectionPrivate::setSpeed(std::uint32_t baudRate) {
    DCB dcb;
    if (!readSettings(handle, dcb)) {
        return false;
    }
    dcb.BaudRate = baudRate;
    SetCommState(port(handle), &dcb);
    return true;
}

std::uint32_t RS485ConnectionPrivate::speed() const {
    DCB dcb;
    return readSettings(handle, dcb) ? dcb.BaudRate : 0;
}

void RS485ConnectionPrivate::switchParity(bool mark) {
    DCB dcb;
    const BYTE from = mark ? SPACEPARITY : MARKPARITY;
    if (readSettings(handle, dcb) && dcb.Parity == from) {
        setParity(dcb, mark);
        SetCommState(port(handle), &dcb);
    }
}

bool RS485ConnectionPrivate::driverErrorCounts(ErrorCounts& counts) {
    // The port reports which errors occurred since the last call, not how many: each
    // call adds one for every kind set, on top of the counts so far.
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port(handle), &errors, &status)) {
        return false;
    }
    counts = driverCounts;
    counts.kept = true;
    counts.framing += (errors & CE_FRAME) != 0;
    counts.parity += (errors & CE_RXPARITY) != 0;
    counts.overrun += (errors & (CE_OVERRUN | CE_RXOVER)) != 0;
    counts.breaks += (errors & CE_BREAK) != 0;
    return true;
}

} // namespace rs485
