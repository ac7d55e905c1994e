#include <rs485/PortDiscovery.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

// A small sysfs: class/tty entries link to device directories under devices/, whose
// "device" link leads to the hardware and whose ancestors include the USB device.
class FakeSysfs {
public:
    FakeSysfs() {
        std::string pattern = (fs::temp_directory_path() / "sysfs-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::create_directories(root / "class" / "tty");
        fs::create_directories(root / "bus" / "usb-serial" / "drivers" / "ftdi_sio");
        fs::create_directories(root / "bus" / "usb" / "drivers" / "cdc_acm");
    }
    ~FakeSysfs() { fs::remove_all(root); }

    std::string path() const { return root.string(); }

    // A USB device with one interface; returns the interface directory.
    fs::path usbInterface(const std::string& port, const std::string& vendor) const {
        const fs::path device = root / "devices/pci0000:00/0000:00:14.0/usb1" / port;
        fs::create_directories(device / (port + ":1.0"));
        write(device / "idVendor", vendor + "\n");
        return device / (port + ":1.0");
    }

    // A tty whose device link leads to `hardware`; the tty itself lives below it.
    void tty(const std::string& name, const fs::path& hardware, const std::string& type = "") {
        const fs::path ttyDir = hardware / "tty" / name;
        fs::create_directories(ttyDir);
        fs::create_directory_symlink(hardware, ttyDir / "device");
        if (!type.empty()) {
            write(ttyDir / "type", type + "\n");
        }
        fs::create_directory_symlink(ttyDir, root / "class" / "tty" / name);
    }

    // A USB-serial port below an interface, bound to `driver` when one is given.
    fs::path usbSerialPort(const fs::path& interface, const std::string& name,
                           const std::string& driver) const {
        const fs::path port = interface / name;
        fs::create_directories(port);
        if (!driver.empty()) {
            bind(port, "usb-serial", driver);
        }
        return port;
    }

    void bind(const fs::path& device, const std::string& bus, const std::string& driver) const {
        fs::create_directory_symlink(root / "bus" / bus / "drivers" / driver, device / "driver");
    }

    fs::path plainDevice(const std::string& relative) const {
        fs::create_directories(root / "devices" / relative);
        return root / "devices" / relative;
    }

    void virtualConsole(const std::string& name) {
        const fs::path dir = root / "devices/virtual/tty" / name;
        fs::create_directories(dir);
        fs::create_directory_symlink(dir, root / "class" / "tty" / name);
    }

private:
    static void write(const fs::path& file, const std::string& content) {
        std::ofstream(file) << content;
    }

    fs::path root;
};

class PortDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        // An FTDI converter: vendor 0403, port bound to ftdi_sio.
        sysfs.tty("ttyUSB0",
                  sysfs.usbSerialPort(sysfs.usbInterface("1-1", "0403"), "ttyUSB0", "ftdi_sio"));
        // FTDI chip known only by its vendor (driver link missing).
        sysfs.tty("ttyUSB10",
                  sysfs.usbSerialPort(sysfs.usbInterface("1-3", "0403"), "ttyUSB10", ""));
        // FTDI chip with a reprogrammed vendor id, known by its driver.
        sysfs.tty("ttyUSB2",
                  sysfs.usbSerialPort(sysfs.usbInterface("1-4", "1a2b"), "ttyUSB2", "ftdi_sio"));
        // Another USB-serial converter.
        sysfs.tty("ttyUSB3",
                  sysfs.usbSerialPort(sysfs.usbInterface("1-5", "067b"), "ttyUSB3", "pl2303"));
        // A CDC-ACM modem: the tty's device is the USB interface itself.
        const fs::path acm = sysfs.usbInterface("1-2", "2341");
        sysfs.bind(acm, "usb", "cdc_acm");
        sysfs.tty("ttyACM0", acm);
        // A real UART and a serial-core placeholder without one.
        sysfs.tty("ttyS0", sysfs.plainDevice("pnp0/00:01"), "4");
        sysfs.tty("ttyS1", sysfs.plainDevice("platform/serial8250"), "0");
        sysfs.virtualConsole("tty1");
    }

    FakeSysfs sysfs;
};

TEST_F(PortDiscoveryTest, SerialPortsAreTheTtysWithHardwareSortedByteWise) {
    EXPECT_EQ(rs485::serialPortNames(sysfs.path()),
              (Names{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB10", "/dev/ttyUSB2",
                     "/dev/ttyUSB3"}));
}

TEST_F(PortDiscoveryTest, ConvertersAreTheFtdiPorts) {
    EXPECT_EQ(rs485::converterPortNames(sysfs.path()),
              (Names{"/dev/ttyUSB0", "/dev/ttyUSB10", "/dev/ttyUSB2"}));
}

TEST(PortDiscoveryEmptyTest, MissingTreeGivesEmptyLists) {
    EXPECT_TRUE(rs485::serialPortNames("/nonexistent-sysfs").empty());
    EXPECT_TRUE(rs485::converterPortNames("/nonexistent-sysfs").empty());
}

TEST(PortDiscoveryEmptyTest, RealTreeDoesNotFail) {
    // Whatever this machine has: every converter is also a serial port.
    const Names all = rs485::serialPortNames();
    for (const auto& converter : rs485::converterPortNames()) {
        EXPECT_NE(std::find(all.begin(), all.end(), converter), all.end()) << converter;
    }
}

} // namespace
