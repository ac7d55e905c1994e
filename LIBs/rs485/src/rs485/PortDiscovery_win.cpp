#include <rs485/PortDiscovery.h>
#include <rs485/PortNameOrder.h>

#include <cstring>
#include <windows.h>

namespace rs485 {

namespace {

constexpr DWORD kSerialCommBuffer = 256;
constexpr DWORD kFtdiBuffer = 99;

// A key under HKEY_LOCAL_MACHINE opened for reading, closed with its scope.
class RegistryKey {
public:
    explicit RegistryKey(const std::string& path) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            key = nullptr;
        }
    }
    ~RegistryKey() {
        if (key) {
            RegCloseKey(key);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    explicit operator bool() const { return key != nullptr; }
    HKEY handle() const { return key; }

    // A string value of at most kFtdiBuffer bytes; false when it cannot be read.
    bool readString(const std::string& name, std::string& value) const;

private:
    HKEY key = nullptr;
};

// Registry string data need not end with a zero: data that fills its whole buffer has
// none, so it is read up to the size the registry returned and no further.
std::string stringData(const BYTE* data, DWORD size) {
    const char* text = reinterpret_cast<const char*>(data);
    return std::string(text, strnlen(text, size));
}

bool RegistryKey::readString(const std::string& name, std::string& value) const {
    BYTE data[kFtdiBuffer] = {};
    DWORD size = kFtdiBuffer;
    if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, data, &size) != ERROR_SUCCESS) {
        return false;
    }
    value = stringData(data, size);
    return true;
}

// FTDIBUS\Enum lists identifiers such as VID_0403+PID_6001+A12345; their device key under
// Enum\FTDIBUS is named with "&" and "\" turned into "+".
std::string deviceKeyName(std::string identifier) {
    for (char& c : identifier) {
        if (c == '&' || c == '\\') {
            c = '+';
        }
    }
    return identifier;
}

} // namespace

std::vector<std::string> serialPortNames() {
    std::vector<std::string> names;
    const RegistryKey key("HARDWARE\\Devicemap\\SerialComm");
    if (!key) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        char valueName[kSerialCommBuffer];
        BYTE data[kSerialCommBuffer];
        DWORD nameSize = kSerialCommBuffer;
        DWORD dataSize = kSerialCommBuffer;
        if (RegEnumValueA(key.handle(), index, valueName, &nameSize, nullptr, nullptr, data,
                          &dataSize) != ERROR_SUCCESS) {
            break;
        }
        names.push_back(stringData(data, dataSize));
    }
    return sortedPortNames(std::move(names));
}

std::vector<std::string> converterPortNames() {
    std::vector<std::string> names;
    const RegistryKey enumKey("SYSTEM\\CurrentControlSet\\Services\\FTDIBUS\\Enum");
    if (!enumKey) {
        return names;
    }
    DWORD count = 0;
    DWORD size = sizeof count;
    if (RegQueryValueExA(enumKey.handle(), "Count", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&count), &size) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD i = 0; i < count; ++i) {
        std::string identifier;
        if (!enumKey.readString(std::to_string(i), identifier)) {
            break;
        }
        const RegistryKey parameters("SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\" +
                                     deviceKeyName(identifier) + "A\\0000\\Device Parameters");
        std::string portName;
        if (parameters && parameters.readString("PortName", portName)) {
            names.push_back(portName);
        }
    }
    return sortedPortNames(std::move(names));
}

} // namespace rs485
