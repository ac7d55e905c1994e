#pragma once

#include <config_velora_tq4/DeviceNames.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <memory>

namespace config_velora_tq4 {

// One device on the line: its address, zone and optional display names. A copy owns its own
// names record: two devices never share one.
class Device {
public:
    Device() = default;
    Device(const Device& other);
    Device& operator=(const Device& other);
    virtual ~Device() = default;

    bool operator==(const Device& other) const;
    bool operator!=(const Device& other) const { return !(*this == other); }

    // Writes the "device" element, with "deviceNames" only when the device has names.
    void toXml(QXmlStreamWriter& writer) const;
    // Reads a "device" element whose start tag has just been read.
    void parseXml(QXmlStreamReader& reader);
    // Converts the display names, when the device has them, to display form.
    void lcdCorrection();

    int address = 1;
    int zone = 1;
    std::shared_ptr<DeviceNames> names;
};

} // namespace config_velora_tq4
