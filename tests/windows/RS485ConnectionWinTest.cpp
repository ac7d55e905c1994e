// What only the Windows serial code does: tests/line_contract holds what every platform
// promises.
#include <rs485/RS485Connection.h>
#include <test_support/TestLine.h>

#include <gtest/gtest.h>

#include <string>

using rs485::RS485Connection;

namespace {

using ComPortTest = test_support::LineTest;

TEST_F(ComPortTest, RefusedSettingsLeaveThePortClosed) {
    // Without prepareOpen() a terminal that had space parity refuses it the second time
    // (see NullModemLine.cpp): the one setting it refuses.
    RS485Connection connection;
    line->prepareOpen();
    ASSERT_TRUE(connection.open(line->portName(), 19200)) << connection.lastErrorText();
    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(connection.open(line->portName(), 19200));
    EXPECT_FALSE(connection.isOpen());
    EXPECT_NE(connection.lastErrorText().find("не принял настройки линии"), std::string::npos)
        << connection.lastErrorText();
    // The failed open left nothing behind: the next one succeeds and forgets the error.
    line->prepareOpen();
    EXPECT_TRUE(connection.open(line->portName(), 19200)) << connection.lastErrorText();
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
