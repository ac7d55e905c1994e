#pragma once

#include <velora_decoding/DeviceTracker.h>

#include <QString>

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

// The devices of a panel configuration file, by address, with their names.
class ConfigComparison {
public:
    // Reads the file; on failure returns false and leaves the error text in error().
    bool load(const QString& path);

    bool loaded() const { return !fileName.isEmpty(); }
    const QString& path() const { return fileName; }
    const QString& error() const { return errorText; }
    bool configured(int address) const { return devices.count(address) != 0; }
    // The device's name from its names record; empty when it has none.
    QString name(int address) const;
    Verdict verdict(int address, const velora_decoding::DeviceStatus& device) const;

private:
    QString fileName;
    QString errorText;
    std::map<int, QString> devices;
};

// The addresses an overview shows: those the line carried, and the configured ones.
std::vector<int> shownAddresses(const velora_decoding::DeviceTracker& tracker,
                                const ConfigComparison* comparison);

} // namespace velora_report
