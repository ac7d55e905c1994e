#include "NullModemLine.h"

#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using rs485::RS485Connection;
using windows_tests::NullModemLine;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_NULL_MODEM();
        line = std::make_unique<NullModemLine>();
        windows_tests::clearStickyParity();
        ASSERT_TRUE(connection.open(windows_tests::portUnderTest(), 19200))
            << connection.lastErrorText();
    }

    std::unique_ptr<NullModemLine> line;
    RS485Connection connection;
};

TEST_F(ComPortTest, OpensWithTheLineSettingsAndCloses) {
    EXPECT_TRUE(connection.isOpen());
    EXPECT_EQ(connection.lastErrorText(), "");
    EXPECT_EQ(connection.baudRate(), 19200u);
    connection.setBaudRate(9600);
    EXPECT_EQ(connection.baudRate(), 9600u);

    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(connection.baudRate(), 0u);
    // Closed means closed: the port opens again.
    windows_tests::clearStickyParity();
    EXPECT_TRUE(connection.open(windows_tests::portUnderTest(), 19200))
        << connection.lastErrorText();
}

TEST_F(ComPortTest, OneByteReturnsAtOnceAndSilenceAfterTheReadTimeout) {
    line->write({0xA5});
    std::uint8_t byte = 0;
    auto start = Clock::now();
    EXPECT_EQ(connection.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0xA5);
    EXPECT_LT(msSince(start), 150);

    start = Clock::now();
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_GE(msSince(start), 150);
    EXPECT_LT(msSince(start), 2000);
}

TEST_F(ComPortTest, EveryByteValuePassesUnchanged) {
    Bytes sent;
    for (int b = 0; b < 256; ++b) {
        sent.push_back(static_cast<std::uint8_t>(b));
    }
    line->write(sent);
    Bytes got(300);
    EXPECT_EQ(connection.read(got.data(), static_cast<std::uint32_t>(got.size())), sent.size());
    got.resize(sent.size());
    EXPECT_EQ(got, sent);
}

TEST_F(ComPortTest, PurgeDropsPendingBytes) {
    line->write({0x05, 0x40});
    std::this_thread::sleep_for(100ms);
    connection.purge();
    std::uint8_t byte = 0;
    EXPECT_EQ(connection.read(&byte, 1), 0u);

    // What comes after the purge is read.
    line->write({0x06});
    EXPECT_EQ(connection.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x06);
}

TEST_F(ComPortTest, ZeroReadTimeoutReturnsWhatIsBuffered) {
    connection.setReadTimeout(0);
    std::uint8_t byte = 0;
    const auto start = Clock::now();
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_LT(msSince(start), 150);
    line->write({0x42});
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(connection.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x42);
}

TEST_F(ComPortTest, ReadTimeoutChangesApplyToTheOpenPort) {
    // Longer than the 200 ms of open(), so that a wait that ignored the change shows.
    connection.setReadTimeout(600);
    EXPECT_EQ(connection.readTimeout(), 600u);
    std::uint8_t byte = 0;
    const auto start = Clock::now();
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_GE(msSince(start), 550);
    EXPECT_LT(msSince(start), 5000);
    line->write({0x17});
    EXPECT_EQ(connection.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x17);
}

TEST_F(ComPortTest, WriteReachesTheLineAfterTheCharactersLeft) {
    const Bytes frame{0x85, 0x01, 0x02, 0x03, 0x04, 0x05, 0x10, 0x20};
    const auto start = Clock::now();
    EXPECT_EQ(connection.write(frame.data(), static_cast<std::uint32_t>(frame.size())), 8u);
    // 8 characters of 11 bits at 19200 baud, plus 10 ms: 14 ms.
    EXPECT_GE(msSince(start), 14);
    EXPECT_EQ(line->readSent(frame.size(), 2s), frame);
}

TEST_F(ComPortTest, MarkParityIsRememberedAndResetByClose) {
    connection.setMarkParity(true);
    EXPECT_TRUE(connection.markParity());
    const Bytes frame{0x85, 0x01};
    EXPECT_EQ(connection.write(frame.data(), 2), 2u);
    EXPECT_EQ(line->readSent(2, 2s), frame);
    connection.setMarkParity(false);
    EXPECT_FALSE(connection.markParity());
    connection.setMarkParity(true);
    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(connection.markParity());
}

TEST_F(ComPortTest, WriteToAPulledOutConverterThrows) {
    windows_tests::pullOutConverter();
    const std::uint8_t byte = 0x55;
    try {
        connection.write(&byte, 1);
        FAIL() << "the write went nowhere unnoticed";
    } catch (const rs485::DisconnectException& e) {
        EXPECT_STREQ(e.what(), "Нет связи с преобразователем USB-RS485");
    }
    // Formally open until the caller closes it.
    EXPECT_TRUE(connection.isOpen());
    EXPECT_TRUE(connection.close());

    // Plugged in again, the port opens and reads.
    windows_tests::clearStickyParity();
    ASSERT_TRUE(connection.open(windows_tests::portUnderTest(), 19200))
        << connection.lastErrorText();
    line->write({0x33});
    std::uint8_t got = 0;
    EXPECT_EQ(connection.read(&got, 1), 1u);
    EXPECT_EQ(got, 0x33);
}

TEST_F(ComPortTest, RefusedSettingsLeaveThePortClosed) {
    // Without clearStickyParity() the terminal refuses space parity (see there): the one
    // setting it refuses.
    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(connection.open(windows_tests::portUnderTest(), 19200));
    EXPECT_FALSE(connection.isOpen());
    EXPECT_NE(connection.lastErrorText().find("не принял настройки линии"), std::string::npos)
        << connection.lastErrorText();
    // The failed open left nothing behind: the next one succeeds and forgets the error.
    windows_tests::clearStickyParity();
    EXPECT_TRUE(connection.open(windows_tests::portUnderTest(), 19200))
        << connection.lastErrorText();
    EXPECT_EQ(connection.lastErrorText(), "");
}

TEST(ComPortOpenTest, MissingPortSaysSo) {
    RS485Connection connection;
    EXPECT_FALSE(connection.open("COM42", 19200));
    EXPECT_FALSE(connection.isOpen());
    EXPECT_NE(connection.lastErrorText().find("COM42 не найден"), std::string::npos)
        << connection.lastErrorText();
    std::uint8_t byte = 0;
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_EQ(connection.write(&byte, 1), 0u);
}

} // namespace
