// What RS485Connection promises on every platform, tested through the platform's line.
#include <rs485/DisconnectException.h>
#include <rs485/RS485Connection.h>
#include <test_support/Elapsed.h>
#include <test_support/TestLine.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using rs485::RS485Connection;
using Bytes = std::vector<std::uint8_t>;
using test_support::Clock;
using test_support::msSince;
using namespace std::chrono_literals;

namespace {

class SerialLinkContract : public test_support::LineTest {
protected:
    void SetUp() override {
        LineTest::SetUp();
        if (!IsSkipped()) {
            ASSERT_TRUE(open()) << connection.lastErrorText();
        }
    }

    bool open() {
        line->prepareOpen();
        return connection.open(line->portName(), 19200);
    }

    // The duration of a read of one byte on a silent line.
    long long silentReadMs() {
        std::uint8_t byte = 0;
        const auto start = Clock::now();
        EXPECT_EQ(connection.read(&byte, 1), 0u);
        return msSince(start);
    }

    RS485Connection connection;
};

TEST_F(SerialLinkContract, OpensWithTheLineSettingsAndCloses) {
    EXPECT_TRUE(connection.isOpen());
    EXPECT_EQ(connection.lastErrorText(), "");
    EXPECT_EQ(connection.baudRate(), 19200u);
    connection.setBaudRate(9600);
    EXPECT_EQ(connection.baudRate(), 9600u);

    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(connection.baudRate(), 0u);
    std::uint8_t byte = 0;
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_EQ(connection.write(&byte, 1), 0u);
    // Closed means closed: the port opens again.
    EXPECT_TRUE(open()) << connection.lastErrorText();
}

TEST_F(SerialLinkContract, OneByteReturnsAtOnceAndSilenceAfterTheReadTimeout) {
    line->write({0xA5});
    std::uint8_t byte = 0;
    const auto start = Clock::now();
    EXPECT_EQ(connection.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0xA5);
    EXPECT_LT(msSince(start), 150);
    EXPECT_EQ(connection.read(&byte, 0), 0u);

    const long long silent = silentReadMs();
    EXPECT_GE(silent, 150);
    EXPECT_LT(silent, 2000);
}

TEST_F(SerialLinkContract, EveryByteValuePassesUnchanged) {
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

TEST_F(SerialLinkContract, PurgeDropsPendingBytes) {
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

TEST_F(SerialLinkContract, ReadTimeoutChangesApplyToTheOpenPort) {
    connection.setReadTimeout(0);
    EXPECT_EQ(connection.readTimeout(), 0u);
    EXPECT_LT(silentReadMs(), 150);
    line->write({0x42});
    std::this_thread::sleep_for(100ms);
    std::uint8_t byte = 0;
    EXPECT_EQ(connection.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x42);

    // Longer than the 200 ms of open(), so that a wait that ignored the change shows.
    connection.setReadTimeout(600);
    const long long silent = silentReadMs();
    EXPECT_GE(silent, 550);
    EXPECT_LT(silent, 5000);
}

// A read time-out and the parity set while closed are what the next open uses; a close
// forgets the parity.
TEST_F(SerialLinkContract, SettingsMadeWhileClosedApplyToTheNextOpen) {
    EXPECT_TRUE(connection.close());
    connection.setReadTimeout(50);
    connection.setMarkParity(true);
    ASSERT_TRUE(open()) << connection.lastErrorText();
    EXPECT_TRUE(connection.markParity());
    if (const auto mark = line->sendsMarkParity()) {
        EXPECT_TRUE(*mark);
    }
    EXPECT_LT(silentReadMs(), 150);

    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(connection.markParity());
    ASSERT_TRUE(open()) << connection.lastErrorText();
    if (const auto mark = line->sendsMarkParity()) {
        EXPECT_FALSE(*mark);
    }
    EXPECT_EQ(connection.readTimeout(), 50u);
}

TEST_F(SerialLinkContract, WriteReachesTheLineAfterTheCharactersLeft) {
    const Bytes frame{0x85, 0x01, 0x02, 0x03, 0x04, 0x05, 0x10, 0x20};
    const auto start = Clock::now();
    EXPECT_EQ(connection.write(frame.data(), static_cast<std::uint32_t>(frame.size())), 8u);
    // 8 characters of 11 bits at 19200 baud, plus 10 ms: 14 ms.
    EXPECT_GE(msSince(start), 14);
    EXPECT_EQ(line->readSent(frame.size(), 2s), frame);
}

TEST_F(SerialLinkContract, MarkParityIsRememberedAndResetByClose) {
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

TEST_F(SerialLinkContract, WriteToAPulledOutConverterThrows) {
    line->replugConverter();
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
    ASSERT_TRUE(open()) << connection.lastErrorText();
    line->write({0x33});
    std::uint8_t got = 0;
    EXPECT_EQ(connection.read(&got, 1), 1u);
    EXPECT_EQ(got, 0x33);
}

} // namespace
