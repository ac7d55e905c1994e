// The line under Wine: the other COM port of the null-modem cable that
// tests/windows/null_modem.py lays between two pseudo-terminals.
#include <test_support/TestLine.h>
#include <velora_protocol/LineSpeed.h>

#include <chrono>
#include <cstdlib>
#include <windows.h>

namespace test_support {
namespace {

// The COM port under test and the one at the other end of the cable; empty when the tests
// run without null_modem.py.
std::string portUnderTest() {
    const char* name = std::getenv("VELORA_WINE_PORT");
    return name ? name : "";
}

std::string linePort() {
    const char* name = std::getenv("VELORA_WINE_LINE");
    return name ? name : "";
}

// A pseudo-terminal has no parity bit: it drops PARENB but keeps CMSPAR, and once CMSPAR
// is there the C library refuses the next PARENB | CMSPAR setting (EINVAL), so a second
// open with space parity would fail. Setting no parity clears CMSPAR; call this before
// every open of the port under test. A real port keeps its parity and needs none of this.
void clearStickyParity() {
    const std::string path = "\\\\.\\" + portUnderTest();
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << path << ": " << GetLastError();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    EXPECT_TRUE(GetCommState(handle, &dcb));
    dcb.Parity = NOPARITY;
    EXPECT_TRUE(SetCommState(handle, &dcb)) << GetLastError();
    CloseHandle(handle);
}

// Pulls the converter out: null_modem.py closes the terminal of the port under test, as a
// USB-serial port vanishes, and links a new one under the same name. Returns once that is
// done.
void pullOutConverter() {
    const char* request = std::getenv("VELORA_WINE_UNPLUG");
    ASSERT_NE(request, nullptr) << "run the program through tests/windows/null_modem.py";
    const HANDLE file = CreateFileA(request, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << request << ": " << GetLastError();
    CloseHandle(file);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (GetFileAttributesA(request) != INVALID_FILE_ATTRIBUTES &&
           std::chrono::steady_clock::now() < deadline) {
        Sleep(10);
    }
    ASSERT_EQ(GetFileAttributesA(request), INVALID_FILE_ATTRIBUTES) << "nobody pulled it out";
}

// The line side of the cable, opened with plain Win32 calls.
class NullModemLine : public TestLine {
public:
    NullModemLine() {
        const std::string path = "\\\\.\\" + linePort();
        handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "cannot open the line side " << path << ": " << GetLastError();
            return;
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        dcb.BaudRate = velora_protocol::kBaudRate;
        dcb.fBinary = 1;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        // A read returns what is there as soon as one byte came, or nothing after 100 ms.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = 100;
        if (!SetCommState(handle, &dcb) || !SetCommTimeouts(handle, &timeouts)) {
            ADD_FAILURE() << "cannot set up the line side: " << GetLastError();
        }
        PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    }
    ~NullModemLine() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    NullModemLine(const NullModemLine&) = delete;
    NullModemLine& operator=(const NullModemLine&) = delete;

    std::string portName() const override { return portUnderTest(); }
    void prepareOpen() override { clearStickyParity(); }
    void replugConverter() override { pullOutConverter(); }
    // Wine reports the parity of the terminal, which has no parity bit.
    std::optional<bool> sendsMarkParity() const override { return std::nullopt; }

    void write(const std::vector<std::uint8_t>& bytes) override {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            ADD_FAILURE() << "line write failed: " << GetLastError();
        }
    }

    std::vector<std::uint8_t> readSent(std::size_t count,
                                       std::chrono::milliseconds timeout) override {
        std::vector<std::uint8_t> bytes(count);
        std::size_t done = 0;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (done < count && std::chrono::steady_clock::now() < deadline) {
            DWORD got = 0;
            if (!ReadFile(handle, bytes.data() + done, static_cast<DWORD>(count - done), &got,
                          nullptr)) {
                ADD_FAILURE() << "line read failed: " << GetLastError();
                break;
            }
            done += got;
        }
        bytes.resize(done);
        return bytes;
    }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

} // namespace

std::unique_ptr<TestLine> makeTestLine(std::string& whyNot) {
    if (portUnderTest().empty() || linePort().empty()) {
        whyNot = "no COM ports: run the program through tests/windows/null_modem.py";
        return nullptr;
    }
    return std::make_unique<NullModemLine>();
}

} // namespace test_support
