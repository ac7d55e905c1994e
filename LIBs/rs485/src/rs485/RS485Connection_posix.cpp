#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <rs485/RS485ConnectionPrivate.h>
#include <rs485/SystemReason.h>
#include <rs485/TermiosLine.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rs485 {

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

std::string joinGroupHint(const std::string& group) {
    return "пользователь должен входить в группу «" + group +
           "», которой принадлежит устройство (после добавления в группу нужно заново войти в "
           "систему).";
}

// Who may open the device: the members of its group when the group may read and write it
// and is not root's, else only its owner.
std::string accessHint(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return joinGroupHint("dialout");
    }
    const mode_t groupReadWrite = S_IRGRP | S_IWGRP;
    if ((info.st_mode & groupReadWrite) == groupReadWrite && info.st_gid != 0) {
        const group* g = ::getgrgid(info.st_gid);
        return joinGroupHint(g ? g->gr_name : std::to_string(info.st_gid));
    }
    const passwd* owner = ::getpwuid(info.st_uid);
    return "открыть устройство может только его владелец «" +
           (owner ? std::string(owner->pw_name) : std::to_string(info.st_uid)) + "».";
}

// The one place that turns errno into the user's message, with a hint for common causes.
std::string openErrorText(const std::string& path, int error) {
    std::string text;
    switch (error) {
    case EACCES:
    case EPERM:
        text = "Нет доступа к порту " + path + ": " + accessHint(path);
        break;
    case EBUSY:
    case EWOULDBLOCK:
        text = "Порт " + path + " занят другой программой.";
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        text = "Порт " + path + " не найден: устройство не подключено.";
        break;
    case ENOTTY:
    case EISDIR:
        text = path + " не является последовательным портом.";
        break;
    default:
        text = "Не удалось открыть порт " + path + ".";
        break;
    }
    return withSystemReason(text, systemReason(error));
}

std::string devicePath(const std::string& portName) {
    return !portName.empty() && portName.front() == '/' ? portName : "/dev/" + portName;
}

// Returns whether the port is readable within timeoutMs; throws when it hung up or failed.
bool waitReadable(int fd, int timeoutMs) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            throw DisconnectException();
        }
        if (r == 0) {
            return false;
        }
        if (p.revents & POLLIN) {
            return true; // data, or a hang-up that read() reports
        }
        throw DisconnectException(); // POLLHUP, POLLERR or POLLNVAL without data
    }
}

// Reads what is there; an unplugged adapter or a closed pseudo-terminal shows as EIO or as
// end of file, both a lost converter.
std::uint32_t readAvailable(int fd, std::uint8_t* buffer, std::uint32_t length) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, length);
        if (n > 0) {
            return static_cast<std::uint32_t>(n);
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            return 0;
        }
        throw DisconnectException();
    }
}

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// One read bounded as a Windows ReadFile with the given time-outs: it waits for the first
// byte at most the total time-out, then takes every byte that has arrived.
std::uint32_t readOnce(int fd, std::uint8_t* buffer, std::uint32_t length,
                       const ReadTimeouts& timeouts) {
    const auto deadline = Clock::now() + Milliseconds(timeouts.returnAtOnce ? 0 : timeouts.total);
    for (;;) {
        const int wait = remainingMs(deadline);
        if (!waitReadable(fd, wait)) {
            return 0;
        }
        const std::uint32_t n = readAvailable(fd, buffer, length);
        if (n > 0 || wait == 0) {
            return n;
        }
        // readable, yet nothing there (EAGAIN): wait again
    }
}

void waitWritable(int fd) {
    for (;;) {
        pollfd p{fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, -1);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            throw DisconnectException();
        }
        return;
    }
}

// DTR and RTS are raised by the driver on open; the converter needs neither. Ports
// without modem lines (pseudo-terminals) refuse the call, which does no harm.
// Asks the driver to pass each byte on at once instead of batching; false if it refuses.
bool setLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) {
        return false;
    }
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0 && ::ioctl(fd, TIOCGSERIAL, &serial) == 0 &&
           (serial.flags & ASYNC_LOW_LATENCY) != 0;
}

void dropModemLines(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &lines);
}

int fdOf(RS485ConnectionPrivate::Handle handle) {
    return static_cast<int>(handle);
}

} // namespace

bool RS485ConnectionPrivate::openPort(const std::string& portName, std::uint32_t baudRate) {
    const std::string path = devicePath(portName);
    speed_t speed{};
    if (!termios_line::speedFor(baudRate, speed)) {
        lastError = "Скорость " + std::to_string(baudRate) + " бод не поддерживается.";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError = openErrorText(path, errno);
        return false;
    }
    const auto fail = [&](const std::string& text) {
        lastError = text;
        ::close(fd);
        return false;
    };
    // TIOCEXCL keeps other programs out; the lock also keeps out a second instance that
    // runs as root, which TIOCEXCL lets through.
    if (::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail(openErrorText(path, errno));
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        return fail(openErrorText(path, errno));
    }
    termios_line::configureLine(t, speed);
    // Mark parity asked for while closed holds from the open on.
    termios_line::setParity(t, markParity);
    // The C library reports EINVAL when the driver dropped a flag it asked for, even where
    // that flag is only the parity sent; what the port keeps decides.
    const int setError = ::tcsetattr(fd, TCSANOW, &t) == 0 ? 0 : errno;
    termios actual{};
    if (::tcgetattr(fd, &actual) != 0) {
        return fail(openErrorText(path, errno));
    }
    if (!termios_line::keepsLineSettings(actual, speed)) {
        const std::string text = "Порт " + path + " не принял настройки линии (" +
                                 std::to_string(baudRate) +
                                 " бод, 8 бит данных, без управления потоком).";
        return fail(setError ? withSystemReason(text, systemReason(setError)) : text);
    }
    dropModemLines(fd);
    lowLatency = setLowLatency(fd);
    ::tcflush(fd, TCIOFLUSH);
    handle = fd;
    return true;
}

bool RS485ConnectionPrivate::closePort() {
    // The descriptor is gone after close() on Linux even when it reports an error, so the
    // port counts as closed either way.
    const int fd = fdOf(handle);
    ::ioctl(fd, TIOCNXCL);
    handle = kNoHandle;
    return ::close(fd) == 0;
}

void RS485ConnectionPrivate::purgeBoth() {
    ::tcflush(fdOf(handle), TCIOFLUSH);
}

std::uint32_t RS485ConnectionPrivate::readSome(std::uint8_t* buffer, std::uint32_t length) {
    return readOnce(fdOf(handle), buffer, length, timeouts);
}

std::uint32_t RS485ConnectionPrivate::writeAll(const std::uint8_t* buffer, std::uint32_t length) {
    const int fd = fdOf(handle);
    ::tcflush(fd, TCIFLUSH);
    std::uint32_t written = 0;
    while (written < length) {
        waitWritable(fd);
        const ssize_t n = ::write(fd, buffer + written, length - written);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            throw DisconnectException();
        }
        written += static_cast<std::uint32_t>(n);
    }
    ::tcdrain(fd);
    return written;
}

void RS485ConnectionPrivate::applyTimeouts() {
    // Every read bounds itself by `timeouts`; the port keeps none.
}

bool RS485ConnectionPrivate::setSpeed(std::uint32_t baudRate) {
    termios t{};
    speed_t speed{};
    if (::tcgetattr(fdOf(handle), &t) != 0 || !termios_line::speedFor(baudRate, speed)) {
        return false;
    }
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    ::tcsetattr(fdOf(handle), TCSANOW, &t);
    return true;
}

std::uint32_t RS485ConnectionPrivate::speed() const {
    termios t{};
    if (::tcgetattr(fdOf(handle), &t) != 0) {
        return 0;
    }
    return termios_line::baudOf(cfgetospeed(&t));
}

void RS485ConnectionPrivate::switchParity(bool mark) {
    termios t{};
    if (::tcgetattr(fdOf(handle), &t) != 0) {
        return;
    }
    const auto from = mark ? termios_line::Parity::Space : termios_line::Parity::Mark;
    if (termios_line::parityOf(t) == from) {
        termios_line::setParity(t, mark);
        ::tcsetattr(fdOf(handle), TCSANOW, &t);
    }
}

bool RS485ConnectionPrivate::driverErrorCounts(ErrorCounts& counts) {
    // Serial drivers count since they started; a pseudo-terminal refuses the call.
    serial_icounter_struct icount{};
    if (::ioctl(fdOf(handle), TIOCGICOUNT, &icount) != 0) {
        return false;
    }
    counts.kept = true;
    counts.framing = static_cast<std::uint32_t>(icount.frame);
    counts.parity = static_cast<std::uint32_t>(icount.parity);
    counts.overrun = static_cast<std::uint32_t>(icount.overrun);
    counts.breaks = static_cast<std::uint32_t>(icount.brk);
    return true;
}

} // namespace rs485
