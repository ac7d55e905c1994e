#include <rs485/TermiosLine.h>

#include <gtest/gtest.h>

using namespace rs485::termios_line;

namespace {

// Every flag set, as a port left behind by another program might be.
termios dirty() {
    termios t{};
    t.c_iflag = ~tcflag_t{0};
    t.c_oflag = ~tcflag_t{0};
    t.c_cflag = ~tcflag_t{0};
    t.c_lflag = ~tcflag_t{0};
    return t;
}

TEST(TermiosLineTest, LineSettingsFromADirtyPort) {
    termios t = dirty();
    configureLine(t, B19200);

    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_EQ(parityOf(t), Parity::Space);
    // Every byte is taken whatever its ninth bit, and nothing is translated.
    for (const tcflag_t flag :
         {INPCK, IGNPAR, PARMRK, ISTRIP, IXON, IXOFF, IXANY, ICRNL, INLCR, IGNCR, BRKINT, IGNBRK}) {
        EXPECT_FALSE(t.c_iflag & flag) << std::hex << flag;
    }
    EXPECT_FALSE(t.c_oflag & OPOST);
    for (const tcflag_t flag : {ICANON, ECHO, ECHONL, ISIG, IEXTEN}) {
        EXPECT_FALSE(t.c_lflag & flag) << std::hex << flag;
    }
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&t), speed_t{B19200});
    EXPECT_EQ(cfgetospeed(&t), speed_t{B19200});
    EXPECT_TRUE(keepsLineSettings(t, B19200));
}

TEST(TermiosLineTest, ParityModes) {
    termios t{};
    EXPECT_EQ(parityOf(t), Parity::None);
    setParity(t, true);
    EXPECT_EQ(parityOf(t), Parity::Mark);
    setParity(t, false);
    EXPECT_EQ(parityOf(t), Parity::Space);
    t.c_cflag &= ~CMSPAR;
    EXPECT_EQ(parityOf(t), Parity::Even);
    t.c_cflag |= PARODD;
    EXPECT_EQ(parityOf(t), Parity::Odd);
}

TEST(TermiosLineTest, SettingsGivenBackByADriver) {
    termios good = dirty();
    configureLine(good, B19200);

    termios noParity = good; // a pseudo-terminal drops the parity bit
    noParity.c_cflag &= ~(PARENB | CMSPAR);
    EXPECT_TRUE(keepsLineSettings(noParity, B19200));

    EXPECT_FALSE(keepsLineSettings(good, B9600));
    termios sevenBits = good;
    sevenBits.c_cflag = (sevenBits.c_cflag & ~CSIZE) | CS7;
    EXPECT_FALSE(keepsLineSettings(sevenBits, B19200));
    termios checking = good;
    checking.c_iflag |= INPCK;
    EXPECT_FALSE(keepsLineSettings(checking, B19200));
    termios flowControl = good;
    flowControl.c_cflag |= CRTSCTS;
    EXPECT_FALSE(keepsLineSettings(flowControl, B19200));
    termios canonical = good;
    canonical.c_lflag |= ICANON;
    EXPECT_FALSE(keepsLineSettings(canonical, B19200));
}

TEST(TermiosLineTest, BaudRates) {
    speed_t speed{};
    ASSERT_TRUE(speedFor(19200, speed));
    EXPECT_EQ(speed, speed_t{B19200});
    EXPECT_EQ(baudOf(B115200), 115200u);
    EXPECT_FALSE(speedFor(12345, speed));
    EXPECT_EQ(baudOf(B0), 0u);
}

} // namespace
