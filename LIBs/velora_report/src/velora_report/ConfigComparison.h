#pragma once

#include <velora_decoding/DeviceTracker.h>
#include <velora_decoding/PointChange.h>

#include <QString>

#include <array>
#include <map>
#include <vector>

namespace velora_report {

// How a device address stands against a panel configuration.
enum class Verdict {
    Answering,     // configured and answering
    Silent,        // configured, polled, not answering (silent or lost)
    NeverPolled,   // configured, never polled
    NotConfigured, // answering, but the configuration does not list it
    Irrelevant,    // neither configured nor answering
};

// A configured device's own name and those of its loops and lines, as the file has them.
struct DeviceNamesText {
    QString device;
    std::array<QString, velora_protocol::kPointCount> points;
};

// The devices of a panel configuration file, by address, with their names.
class ConfigComparison {
public:
    // Reads the file; on failure returns false and leaves the error text in error(): a file
    // with errors is refused with every diagnostic of velora-config check, one per line.
    bool load(const QString& path);

    bool loaded() const { return !fileName.isEmpty(); }
    const QString& path() const { return fileName; }
    const QString& error() const { return errorText; }
    bool configured(int address) const { return devices.count(address) != 0; }
    // The device's name from its names record; empty when it has none.
    QString name(int address) const;
    // A walk-test check's name: the loop's or line's name from the file, else its usual one.
    QString checkName(int address, velora_decoding::WalkCheck check) const;
    // The configured addresses, ascending.
    std::vector<int> addresses() const;
    // "Velora-TQ4 с разделами, адрес 1".
    const QString& panel() const { return panelText; }
    Verdict verdict(int address, const velora_decoding::DeviceStatus& device) const;

private:
    QString fileName;
    QString errorText;
    QString panelText;
    std::map<int, DeviceNamesText> devices;
};

// The addresses an overview shows: those the line carried, and the configured ones.
std::vector<int> shownAddresses(const velora_decoding::DeviceTracker& tracker,
                                const ConfigComparison* comparison);

} // namespace velora_report
