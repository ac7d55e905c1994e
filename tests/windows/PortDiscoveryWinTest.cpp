#include <rs485/PortDiscovery.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

using Names = std::vector<std::string>;

namespace {

const char* const kSerialComm = "HARDWARE\\Devicemap\\SerialComm";
const char* const kFtdiServices = "SYSTEM\\CurrentControlSet\\Services\\FTDIBUS";
const char* const kFtdiDevices = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";

HKEY createKey(const std::string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
}

void setValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS)
        << name;
}

// With its terminating zero, as the system stores port names.
void setString(HKEY key, const std::string& name, const std::string& text) {
    setValue(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void deleteTree(const char* path) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
}

struct Value {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

// The SerialComm key holds only what a test writes; the prefix's own entries (Wine lists
// its COM ports there) are put back afterwards.
class SerialCommTest : public ::testing::Test {
protected:
    void SetUp() override {
        key = createKey(kSerialComm);
        for (;;) {
            char name[16384];
            BYTE data[4096];
            DWORD nameSize = sizeof name;
            DWORD dataSize = sizeof data;
            DWORD type = 0;
            if (RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, data, &dataSize) !=
                ERROR_SUCCESS) {
                break;
            }
            saved.push_back({std::string(name, nameSize), type, {data, data + dataSize}});
            ASSERT_EQ(RegDeleteValueA(key, name), ERROR_SUCCESS);
        }
    }
    void TearDown() override {
        for (const std::string& name : written) {
            RegDeleteValueA(key, name.c_str());
        }
        for (const Value& v : saved) {
            setValue(key, v.name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
        }
        RegCloseKey(key);
    }

    void addPort(const std::string& device, const std::string& port) {
        setString(key, device, port);
        written.push_back(device);
    }

    HKEY key = nullptr;
    std::vector<Value> saved;
    Names written;
};

TEST_F(SerialCommTest, PortsAreSortedByteWise) {
    addPort("\\Device\\Serial0", "COM2");
    addPort("\\Device\\Serial1", "COM10");
    addPort("\\Device\\VCP0", "COM1");
    addPort("\\Device\\Serial2", "COM3");
    EXPECT_EQ(rs485::serialPortNames(), (Names{"COM1", "COM10", "COM2", "COM3"}));
}

TEST_F(SerialCommTest, EmptyKeyGivesNoPorts) {
    EXPECT_TRUE(rs485::serialPortNames().empty());
}

TEST_F(SerialCommTest, DataFillingItsBufferIsReadNoFurther) {
    addPort("\\Device\\Serial0", "COM4");
    // 256 characters and no terminating zero: exactly the size of the data buffer.
    const std::string full(256, 'X');
    setValue(key, "\\Device\\Serial1", REG_SZ, full.data(), static_cast<DWORD>(full.size()));
    written.push_back("\\Device\\Serial1");
    addPort("\\Device\\Serial2", "COM5");

    const Names names = rs485::serialPortNames();
    // Values are enumerated in the order they were written. Windows hands the 256 bytes
    // over without a zero; Wine refuses them for want of room for one, which ends the walk
    // at that value. Either way nothing beyond the buffer is read.
    if (names.size() == 3) {
        EXPECT_EQ(names, (Names{"COM4", "COM5", full}));
    } else {
        EXPECT_EQ(names, (Names{"COM4"}));
    }
}

// FTDIBUS\Enum lists the attached converters; each has a port name under Enum\FTDIBUS.
class FtdiTest : public ::testing::Test {
protected:
    void TearDown() override {
        deleteTree(kFtdiServices);
        deleteTree(kFtdiDevices);
    }

    void listDevices(const Names& identifiers, DWORD count) {
        HKEY key = createKey(std::string(kFtdiServices) + "\\Enum");
        setValue(key, "Count", REG_DWORD, &count, sizeof count);
        for (std::size_t i = 0; i < identifiers.size(); ++i) {
            setString(key, std::to_string(i), identifiers[i]);
        }
        RegCloseKey(key);
    }

    void addDeviceKey(const std::string& keyName, const std::string& port) {
        HKEY key =
            createKey(std::string(kFtdiDevices) + "\\" + keyName + "A\\0000\\Device Parameters");
        setString(key, "PortName", port);
        RegCloseKey(key);
    }
};

TEST_F(FtdiTest, NoDriverGivesNoPorts) {
    deleteTree(kFtdiServices);
    EXPECT_TRUE(rs485::converterPortNames().empty());
}

TEST_F(FtdiTest, DeviceWithoutParametersIsSkipped) {
    listDevices({"VID_0403+PID_6001+A50285BI", "VID_0403+PID_6001+FT9X2K7Q"}, 2);
    addDeviceKey("VID_0403+PID_6001+A50285BI", "COM7");
    EXPECT_EQ(rs485::converterPortNames(), (Names{"COM7"}));
}

TEST_F(FtdiTest, IdentifiersAreRewrittenToTheirKeyNames) {
    listDevices({"VID_0403&PID_6001\\B1", "VID_0403&PID_6015&MI_00\\C2", "VID_0403+PID_6010+D3"},
                3);
    addDeviceKey("VID_0403+PID_6001+B1", "COM12");
    addDeviceKey("VID_0403+PID_6015+MI_00+C2", "COM3");
    addDeviceKey("VID_0403+PID_6010+D3", "COM4");
    EXPECT_EQ(rs485::converterPortNames(), (Names{"COM12", "COM3", "COM4"}));
}

TEST_F(FtdiTest, CountBeyondTheListedIdentifiersEndsTheWalk) {
    listDevices({"VID_0403+PID_6001+E4"}, 5);
    addDeviceKey("VID_0403+PID_6001+E4", "COM9");
    EXPECT_EQ(rs485::converterPortNames(), (Names{"COM9"}));
}

// Identifiers and port names are read into 99-byte buffers.
TEST_F(FtdiTest, PortNameTooLongSkipsOnlyItsDevice) {
    listDevices({"VID_0403+PID_6001+G6", "VID_0403+PID_6001+G7", "VID_0403+PID_6001+G8"}, 3);
    addDeviceKey("VID_0403+PID_6001+G6", "COM7");
    addDeviceKey("VID_0403+PID_6001+G7", "COM" + std::string(120, '9'));
    addDeviceKey("VID_0403+PID_6001+G8", "COM8");
    EXPECT_EQ(rs485::converterPortNames(), (Names{"COM7", "COM8"}));
}

TEST_F(FtdiTest, IdentifierTooLongEndsTheWalk) {
    const std::string longIdentifier = "VID_0403+PID_6001+" + std::string(100, 'H');
    listDevices({"VID_0403+PID_6001+H1", longIdentifier, "VID_0403+PID_6001+H3"}, 3);
    addDeviceKey("VID_0403+PID_6001+H1", "COM9");
    addDeviceKey(longIdentifier, "COM10");
    addDeviceKey("VID_0403+PID_6001+H3", "COM11");
    EXPECT_EQ(rs485::converterPortNames(), (Names{"COM9"}));
}

TEST_F(FtdiTest, ZeroCountGivesNoPorts) {
    listDevices({"VID_0403+PID_6001+F5"}, 0);
    addDeviceKey("VID_0403+PID_6001+F5", "COM9");
    EXPECT_TRUE(rs485::converterPortNames().empty());
}

} // namespace
