#include <rs485/TermiosLine.h>

namespace rs485::termios_line {

namespace {

struct SpeedName {
    std::uint32_t baud;
    speed_t speed;
};

constexpr SpeedName kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

constexpr tcflag_t kParityChecks = INPCK | IGNPAR | PARMRK | ISTRIP;
constexpr tcflag_t kSoftwareFlowControl = IXON | IXOFF | IXANY;

} // namespace

bool speedFor(std::uint32_t baudRate, speed_t& speed) {
    for (const auto& s : kSpeeds) {
        if (s.baud == baudRate) {
            speed = s.speed;
            return true;
        }
    }
    return false;
}

std::uint32_t baudOf(speed_t speed) {
    for (const auto& s : kSpeeds) {
        if (s.speed == speed) {
            return s.baud;
        }
    }
    return 0;
}

void setRaw(termios& t) {
    t.c_iflag &= ~(IGNBRK | BRKINT | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // One character completes a read; waits are done with poll() on a non-blocking port,
    // so that a read returning 0 always means a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

void setDataBits(termios& t) {
    t.c_cflag &= ~CSIZE;
    t.c_cflag |= CS8;
}

void setStopBits(termios& t) {
    t.c_cflag &= ~CSTOPB;
}

void setParity(termios& t, bool mark) {
    t.c_cflag |= PARENB | CMSPAR;
    if (mark) {
        t.c_cflag |= PARODD;
    } else {
        t.c_cflag &= ~PARODD;
    }
    t.c_iflag &= ~kParityChecks;
}

void setNoFlowControl(termios& t) {
    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~kSoftwareFlowControl;
}

void configureLine(termios& t, speed_t speed) {
    setRaw(t);
    setDataBits(t);
    setStopBits(t);
    setParity(t, false);
    setNoFlowControl(t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
}

Parity parityOf(const termios& t) {
    if (!(t.c_cflag & PARENB)) {
        return Parity::None;
    }
    const bool odd = t.c_cflag & PARODD;
    if (t.c_cflag & CMSPAR) {
        return odd ? Parity::Mark : Parity::Space;
    }
    return odd ? Parity::Odd : Parity::Even;
}

bool keepsLineSettings(const termios& actual, speed_t speed) {
    const speed_t in = cfgetispeed(&actual);
    return cfgetospeed(&actual) == speed && (in == speed || in == B0) &&
           (actual.c_cflag & CSIZE) == CS8 && !(actual.c_cflag & (CSTOPB | CRTSCTS)) &&
           (actual.c_cflag & CREAD) && !(actual.c_iflag & (kParityChecks | kSoftwareFlowControl)) &&
           !(actual.c_lflag & (ICANON | ECHO | ISIG)) && !(actual.c_oflag & OPOST);
}

} // namespace rs485::termios_line
