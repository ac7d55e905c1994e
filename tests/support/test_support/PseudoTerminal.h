#pragma once

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace pseudo_terminal {

// The master side of a pseudo-terminal; the connection under test opens slavePath().
// Nobody opens the slave here, so closing the master is a converter pulled out.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        char name[128] = {};
        if (::ptsname_r(master, name, sizeof name) != 0) {
            throw std::runtime_error("no pseudo-terminal name");
        }
        path = name;
    }
    ~PseudoTerminal() { closeMaster(); }

    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return path; }
    int masterFd() const { return master; }

    void write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                throw std::runtime_error("pseudo-terminal write failed");
            }
            done += static_cast<std::size_t>(n);
        }
    }

    // Blocks until count bytes sent by the slave side are read, or the read fails.
    std::vector<std::uint8_t> readSent(std::size_t count) const {
        std::vector<std::uint8_t> bytes(count);
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::read(master, bytes.data() + done, count - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }

    void closeMaster() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }

private:
    int master = -1;
    std::string path;
};

} // namespace pseudo_terminal
