#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <rs485/TermiosLine.h>

#include <test_support/Elapsed.h>
#include <test_support/PseudoTerminal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using pseudo_terminal::PseudoTerminal;
using rs485::RS485Connection;
using test_support::Clock;
using test_support::msSince;

namespace {

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(connection.open(pty.slavePath(), 19200)) << connection.lastErrorText();
    }

    PseudoTerminal pty;
    RS485Connection connection;
};

TEST_F(ConnectionTest, PortKeepsTheLineSettings) {
    // The master side reports the slave's settings. A pseudo-terminal keeps all but the
    // parity bit, which it has not got.
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &t), 0);
    EXPECT_TRUE(rs485::termios_line::keepsLineSettings(t, B19200));
    EXPECT_EQ(cfgetospeed(&t), speed_t{B19200});
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_FALSE(t.c_iflag & (INPCK | ISTRIP | PARMRK | IXON | IXOFF | ICRNL));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
}

TEST_F(ConnectionTest, PseudoTerminalKeepsNoErrorCounts) {
    const rs485::ErrorCounts counts = connection.errorCounts();
    EXPECT_FALSE(counts.kept);
    EXPECT_EQ(counts.framing + counts.parity + counts.overrun + counts.breaks, 0u);
}

TEST_F(ConnectionTest, LostConverterWhileReadingThrows) {
    auto reading = std::async(std::launch::async, [this] {
        std::uint8_t byte = 0;
        for (int i = 0; i < 100; ++i) {
            connection.read(&byte, 1); // returns 0 every read time-out until the hang-up
        }
        return std::string("no disconnect");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty.closeMaster();
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    try {
        reading.get();
        FAIL() << "read went on after the hang-up";
    } catch (const rs485::DisconnectException& e) {
        EXPECT_STREQ(e.what(), "Нет связи с преобразователем USB-RS485");
    }
    // The loss is reported again, not turned into a silent line.
    std::uint8_t byte = 0;
    EXPECT_THROW(connection.read(&byte, 1), rs485::DisconnectException);
}

TEST_F(ConnectionTest, SecondOpenOfTheSamePortFails) {
    RS485Connection second;
    EXPECT_FALSE(second.open(pty.slavePath(), 19200));
    EXPECT_FALSE(second.isOpen());
    EXPECT_NE(second.lastErrorText().find("занят другой программой"), std::string::npos)
        << second.lastErrorText();

    EXPECT_TRUE(connection.close());
    EXPECT_TRUE(second.open(pty.slavePath(), 19200)) << second.lastErrorText();
    EXPECT_EQ(second.lastErrorText(), "");
}

TEST(ConnectionOpenTest, BareNameIsLookedUpUnderDev) {
    PseudoTerminal pty;
    const std::string bare = pty.slavePath().substr(std::string("/dev/").size());
    RS485Connection connection;
    EXPECT_TRUE(connection.open(bare, 19200)) << connection.lastErrorText();
}

TEST(ConnectionOpenTest, ZeroReadTimeoutBeforeOpenStillReturnsAtOnce) {
    PseudoTerminal pty;
    RS485Connection connection;
    connection.setReadTimeout(0);
    ASSERT_TRUE(connection.open(pty.slavePath(), 19200)) << connection.lastErrorText();
    std::uint8_t byte = 0;
    const auto start = Clock::now();
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_LT(msSince(start), 150);
}

// What an unprivileged user (nobody, in a child process) is told when opening the port.
std::string openAsNobody(const std::string& path) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string text = "could not drop privileges";
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            RS485Connection connection;
            text = connection.open(path, 19200) ? "opened" : connection.lastErrorText();
        }
        const ssize_t written = ::write(pipeFds[1], text.data(), text.size());
        ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) {
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return text;
}

// The group is named only when joining it would help: it may read and write the device and
// is not root's. The system's reason follows the sentence as a detail of its own.
TEST(ConnectionOpenTest, PermissionDeniedSaysWhoMayOpenThePort) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to drop to another user";
    }
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    const struct {
        gid_t group;
        mode_t mode;
        std::string hint;
    } cases[] = {
        {dialout->gr_gid, 0660, "группу «dialout»"},
        {0, 0600, "только его владелец «root»"},
        {0, 0660, "только его владелец «root»"},
        {dialout->gr_gid, 0620, "только его владелец «root»"},
    };
    for (const auto& c : cases) {
        PseudoTerminal pty;
        ASSERT_EQ(::chown(pty.slavePath().c_str(), 0, c.group), 0);
        ASSERT_EQ(::chmod(pty.slavePath().c_str(), c.mode), 0);
        const std::string text = openAsNobody(pty.slavePath());
        SCOPED_TRACE(text);
        EXPECT_EQ(text.rfind("Нет доступа к порту " + pty.slavePath() + ": ", 0), 0u);
        EXPECT_NE(text.find(c.hint), std::string::npos) << std::oct << c.mode;
        const std::size_t reason = text.find("\nСообщение системы: ");
        ASSERT_NE(reason, std::string::npos);
        EXPECT_EQ(text.find('(', reason), std::string::npos);
    }
}

TEST(ConnectionOpenTest, FailuresSayWhy) {
    RS485Connection connection;
    EXPECT_FALSE(connection.open("/dev/ttyVeloraMissing0", 19200));
    EXPECT_NE(connection.lastErrorText().find("не найден"), std::string::npos)
        << connection.lastErrorText();
    EXPECT_FALSE(connection.open("/dev/null", 19200));
    EXPECT_NE(connection.lastErrorText().find("не является последовательным портом"),
              std::string::npos)
        << connection.lastErrorText();
    PseudoTerminal pty;
    EXPECT_FALSE(connection.open(pty.slavePath(), 12345));
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(connection.readTimeout(), RS485Connection::kDefaultReadTimeout);
}

} // namespace
