// The line of POSIX systems: the master side of a pseudo-terminal.
#include <test_support/PseudoTerminal.h>
#include <test_support/TestLine.h>

#include <poll.h>
#include <termios.h>

namespace test_support {
namespace {

class PseudoTerminalLine : public TestLine {
public:
    std::string portName() const override { return pty->slavePath(); }

    void write(const std::vector<std::uint8_t>& bytes) override { pty->write(bytes); }

    std::vector<std::uint8_t> readSent(std::size_t count,
                                       std::chrono::milliseconds timeout) override {
        pollfd p{pty->masterFd(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) {
            return {};
        }
        return pty->readSent(count);
    }

    void replugConverter() override { pty = std::make_unique<pseudo_terminal::PseudoTerminal>(); }

    // A pseudo-terminal has no parity bit and drops PARENB, but keeps PARODD, which tells
    // mark from space.
    std::optional<bool> sendsMarkParity() const override {
        termios t{};
        if (::tcgetattr(pty->masterFd(), &t) != 0) {
            return std::nullopt;
        }
        return (t.c_cflag & PARODD) != 0;
    }

private:
    std::unique_ptr<pseudo_terminal::PseudoTerminal> pty =
        std::make_unique<pseudo_terminal::PseudoTerminal>();
};

} // namespace

std::unique_ptr<TestLine> makeTestLine(std::string&) {
    return std::make_unique<PseudoTerminalLine>();
}

} // namespace test_support
