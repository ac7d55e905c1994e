#include <rs485/PortDiscovery.h>
#include <rs485/PortNameOrder.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace rs485 {

namespace {

constexpr const char* kSysfs = "/sys";
constexpr const char* kFtdiVendor = "0403";
constexpr const char* kFtdiDriver = "ftdi_sio";

// The first line of a sysfs attribute, empty when it cannot be read.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    return value;
}

std::string driverOf(const fs::path& device) {
    std::error_code error;
    const fs::path target = fs::read_symlink(device / "driver", error);
    return error ? std::string() : target.filename().string();
}

// The hardware device behind each tty that has one, by tty name. Serial-core ports whose
// "type" is 0 have no UART behind them (the placeholder ttyS ports) and are left out.
std::vector<std::pair<std::string, fs::path>> hardwareTtys(const std::string& sysfsRoot) {
    std::vector<std::pair<std::string, fs::path>> ttys;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(sysfsRoot) / "class" / "tty", error)) {
        const fs::path device = entry.path() / "device";
        std::error_code linkError;
        if (!fs::exists(device, linkError)) {
            continue;
        }
        if (attribute(entry.path() / "type") == "0") {
            continue;
        }
        const fs::path resolved = fs::canonical(device, linkError);
        if (!linkError) {
            ttys.emplace_back(entry.path().filename().string(), resolved);
        }
    }
    return ttys;
}

// Whether the device or one of its ancestors up to the USB device is an FTDI chip.
bool isFtdi(fs::path device, const fs::path& devicesRoot) {
    for (; device.has_relative_path() && device != devicesRoot; device = device.parent_path()) {
        if (driverOf(device) == kFtdiDriver) {
            return true;
        }
        const std::string vendor = attribute(device / "idVendor");
        if (!vendor.empty()) {
            return vendor == kFtdiVendor;
        }
    }
    return false;
}

} // namespace

std::vector<std::string> serialPortNames(const std::string& sysfsRoot) {
    std::vector<std::string> names;
    for (const auto& tty : hardwareTtys(sysfsRoot)) {
        names.push_back("/dev/" + tty.first);
    }
    return sortedPortNames(std::move(names));
}

std::vector<std::string> converterPortNames(const std::string& sysfsRoot) {
    std::error_code error;
    const fs::path devicesRoot = fs::canonical(fs::path(sysfsRoot) / "devices", error);
    std::vector<std::string> names;
    for (const auto& tty : hardwareTtys(sysfsRoot)) {
        if (isFtdi(tty.second, devicesRoot)) {
            names.push_back("/dev/" + tty.first);
        }
    }
    return sortedPortNames(std::move(names));
}

std::vector<std::string> serialPortNames() {
    return serialPortNames(kSysfs);
}

std::vector<std::string> converterPortNames() {
    return converterPortNames(kSysfs);
}

} // namespace rs485
