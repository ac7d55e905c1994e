#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <rs485/SystemReason.h>
#include <rs485/TermiosLine.h>
#include <velora_protocol/LineSpeed.h>

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
#include <thread>
#include <unistd.h>

namespace rs485 {

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// What bounds one read, as the Windows port time-outs do: the total wait, the wait between
// characters once one has arrived (0: none), or no wait at all.
struct ReadTimeouts {
    std::uint32_t interval = 0;
    std::uint32_t total = 0;
    bool returnAtOnce = false;
};

// 0: reads return at once with what is buffered.
ReadTimeouts timeoutsFor(std::uint32_t readTimeout) {
    return {0, readTimeout, readTimeout == 0};
}

// A time-out of 0 keeps its meaning here: without a total time-out the first read would
// wait for a byte for ever.
ReadTimeouts openTimeouts(std::uint32_t readTimeout) {
    if (readTimeout == 0) {
        return timeoutsFor(0);
    }
    return {RS485Connection::kIntervalTimeout, readTimeout, false};
}

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

// One read bounded as a Windows ReadFile with the given time-outs: it ends when length
// bytes are in, when the total time-out has elapsed, or when the interval time-out passed
// after a character without the next one.
std::uint32_t readOnce(int fd, std::uint8_t* buffer, std::uint32_t length,
                       const ReadTimeouts& timeouts) {
    if (timeouts.returnAtOnce) {
        return waitReadable(fd, 0) ? readAvailable(fd, buffer, length) : 0;
    }
    const auto deadline = Clock::now() + Milliseconds(timeouts.total);
    std::uint32_t got = 0;
    while (got < length) {
        int wait = remainingMs(deadline);
        if (got > 0 && timeouts.interval != 0 && static_cast<int>(timeouts.interval) < wait) {
            wait = static_cast<int>(timeouts.interval);
        }
        if (wait == 0 || !waitReadable(fd, wait)) {
            break;
        }
        const std::uint32_t n = readAvailable(fd, buffer + got, length - got);
        if (n == 0) {
            continue; // readable, yet nothing there (EAGAIN): wait again
        }
        got += n;
    }
    return got;
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

} // namespace

struct RS485Connection::State {
    int fd = -1;
    std::uint32_t readTimeout = kDefaultReadTimeout;
    float msPerChar = 0.0f;
    bool lowLatency = false;
    ReadTimeouts timeouts;
    std::string lastError;
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
    const std::string path = devicePath(portName);
    state->lastError.clear();
    speed_t speed{};
    if (!termios_line::speedFor(baudRate, speed)) {
        state->lastError = "Скорость " + std::to_string(baudRate) + " бод не поддерживается.";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        state->lastError = openErrorText(path, errno);
        return false;
    }
    const auto fail = [&](const std::string& text) {
        state->lastError = text;
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
    termios_line::setParity(t, markParityRequested);
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
    state->lowLatency = setLowLatency(fd);
    ::tcflush(fd, TCIOFLUSH);
    state->fd = fd;
    state->msPerChar = static_cast<float>(velora_protocol::characterMs(baudRate));
    state->timeouts = openTimeouts(state->readTimeout);
    return true;
}

bool RS485Connection::close() {
    // The descriptor is gone after close() on Linux even when it reports an error, so the
    // connection counts as closed either way.
    ::ioctl(state->fd, TIOCNXCL);
    const bool closed = ::close(state->fd) == 0;
    state->fd = -1;
    markParityRequested = false;
    return closed;
}

bool RS485Connection::lowLatency() const {
    return isOpen() && state->lowLatency;
}

bool RS485Connection::isOpen() const {
    return state->fd >= 0;
}

void RS485Connection::purge() {
    if (isOpen()) {
        ::tcflush(state->fd, TCIOFLUSH);
    }
}

std::uint32_t RS485Connection::read(void* buffer, std::uint32_t length) {
    if (!isOpen() || length == 0) {
        return 0;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t total = 0;
    while (total < length) {
        const std::uint32_t got =
            readOnce(state->fd, bytes + total, length - total, state->timeouts);
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
    ::tcflush(state->fd, TCIFLUSH);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t written = 0;
    while (written < length) {
        waitWritable(state->fd);
        const ssize_t n = ::write(state->fd, bytes + written, length - written);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            throw DisconnectException();
        }
        written += static_cast<std::uint32_t>(n);
    }
    ::tcdrain(state->fd);
    // Let the last character leave the converter before the line is turned round.
    const auto sleepMs =
        static_cast<std::uint32_t>(static_cast<float>(length) * state->msPerChar + 10.0f);
    std::this_thread::sleep_for(Milliseconds(sleepMs));
    return written;
}

void RS485Connection::setReadTimeout(std::uint32_t milliseconds) {
    state->readTimeout = milliseconds;
    if (isOpen()) {
        state->timeouts = timeoutsFor(milliseconds);
    }
}

std::uint32_t RS485Connection::readTimeout() const {
    return state->readTimeout;
}

void RS485Connection::setBaudRate(std::uint32_t baudRate) {
    termios t{};
    speed_t speed{};
    if (!isOpen() || ::tcgetattr(state->fd, &t) != 0 || !termios_line::speedFor(baudRate, speed)) {
        return;
    }
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    ::tcsetattr(state->fd, TCSANOW, &t);
    state->msPerChar = static_cast<float>(velora_protocol::characterMs(baudRate));
}

std::uint32_t RS485Connection::baudRate() const {
    termios t{};
    if (!isOpen() || ::tcgetattr(state->fd, &t) != 0) {
        return 0;
    }
    return termios_line::baudOf(cfgetospeed(&t));
}

void RS485Connection::setMarkParity(bool mark) {
    if (mark == markParityRequested) {
        return;
    }
    termios t{};
    if (isOpen() && ::tcgetattr(state->fd, &t) == 0) {
        const auto current = termios_line::parityOf(t);
        const auto from = mark ? termios_line::Parity::Space : termios_line::Parity::Mark;
        if (current == from) {
            termios_line::setParity(t, mark);
            ::tcsetattr(state->fd, TCSANOW, &t);
        }
    }
    markParityRequested = mark;
}

std::string RS485Connection::lastErrorText() const {
    return state->lastError;
}

} // namespace rs485
