#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

#include <cstdint>

using rs485::RS485Connection;

namespace {

// What a connection without a port does, the same on every system.
TEST(ClosedConnectionTest, TouchesNoPortAndClosesNothing) {
    RS485Connection connection;
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(connection.readTimeout(), RS485Connection::kDefaultReadTimeout);
    EXPECT_FALSE(connection.markParity());
    EXPECT_EQ(connection.lastErrorText(), "");

    std::uint8_t byte = 0x55;
    EXPECT_EQ(connection.read(&byte, 1), 0u);
    EXPECT_EQ(connection.write(&byte, 1), 0u);
    EXPECT_EQ(connection.baudRate(), 0u);
    connection.purge();
    connection.setBaudRate(9600);
    EXPECT_EQ(connection.baudRate(), 0u);
    // There was no port to close.
    EXPECT_FALSE(connection.close());
    EXPECT_FALSE(connection.isOpen());
}

} // namespace
