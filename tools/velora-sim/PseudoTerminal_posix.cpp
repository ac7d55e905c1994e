#include "PseudoTerminal.h"

#include <rs485/TermiosLine.h>
#include <velora_protocol/LineSpeed.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace velora_sim {

namespace {

using namespace std::chrono_literals;

// The reader opens the port, purges it, and purges it again when its reader thread
// starts: the line stays silent that long.
constexpr auto kLeadIn = 500ms;
// After the last byte, the reader gets this long to take what is still buffered.
constexpr auto kLinger = 500ms;
constexpr int kPollMs = 10;

std::runtime_error systemError(const char* what) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

} // namespace

PseudoTerminal::PseudoTerminal() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        throw systemError("posix_openpt");
    }
    const char* slave = nullptr;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || !(slave = ptsname(master))) {
        const auto error = systemError("ptsname");
        close(master);
        throw error;
    }
    name = slave;
    // Raw mode is kept by the terminal while the master stays open, so that nothing the
    // line carries is echoed or translated before the reader sets its own mode. Closing
    // the slave again marks the terminal as hung up until a reader opens it.
    const int fd = open(slave, O_RDWR | O_NOCTTY);
    if (fd < 0) {
        const auto error = systemError(slave);
        close(master);
        throw error;
    }
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    speed_t speed{};
    rs485::termios_line::speedFor(velora_protocol::kBaudRate, speed);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    tcsetattr(fd, TCSANOW, &settings);
    close(fd);
}

PseudoTerminal::~PseudoTerminal() {
    close(master);
}

bool PseudoTerminal::readerAttached() const {
    pollfd p{master, POLLOUT, 0};
    return poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

bool PseudoTerminal::waitForReader(const std::atomic<bool>& stop) {
    while (!readerAttached()) {
        if (stop) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    std::this_thread::sleep_for(kLeadIn);
    pace.start();
    return !stop;
}

bool PseudoTerminal::send(const std::vector<std::uint8_t>& bytes) {
    pace.wait(bytes.size());
    std::size_t done = 0;
    while (done < bytes.size() && readerAttached()) {
        const ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd p{master, POLLOUT, 0};
            poll(&p, 1, kPollMs);
        }
    }
    return true;
}

bool PseudoTerminal::finish() {
    std::this_thread::sleep_for(kLinger);
    return true;
}

} // namespace velora_sim
