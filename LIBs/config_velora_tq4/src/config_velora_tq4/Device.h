#pragma once

#include <config_velora_tq4/DeviceNames.h>
#include <config_velora_tq4/XmlPart.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <memory>

namespace config_velora_tq4 {

// One device on the line: its address, zone and optional display names. A copy owns its own
// names record: two devices never share one.
class Device : public XmlPart<Device> {
public:
    Device() = default;
    Device(const Device& other);
    Device& operator=(const Device& other);

    bool operator==(const Device& other) const;
    void toXml(QXmlStreamWriter& writer) const override;
    void parseXml(QXmlStreamReader& reader) override;
    void lcdCorrection() override;

    int address = 1;
    int zone = 1;
    std::shared_ptr<DeviceNames> names;
};

} // namespace config_velora_tq4
