#include <config_velora_tq4/Device.h>
#include <config_velora_tq4/XmlText.h>

namespace config_velora_tq4 {

namespace {

std::shared_ptr<DeviceNames> copyOf(const std::shared_ptr<DeviceNames>& names) {
    return names ? std::make_shared<DeviceNames>(*names) : nullptr;
}

} // namespace

Device::Device(const Device& other)
    : address(other.address)
    , zone(other.zone)
    , names(copyOf(other.names)) {}

Device& Device::operator=(const Device& other) {
    if (this != &other) {
        address = other.address;
        zone = other.zone;
        names = copyOf(other.names);
    }
    return *this;
}

bool Device::operator==(const Device& other) const {
    if (address != other.address || zone != other.zone || bool(names) != bool(other.names)) {
        return false;
    }
    return !names || *names == *other.names;
}

// The "device" element, with "deviceNames" only when the device has names.
void Device::toXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("device"));
    writer.writeAttribute(QStringLiteral("address"), QString::number(address));
    writer.writeAttribute(QStringLiteral("zone"), QString::number(zone));
    if (names) {
        names->toXml(writer);
    }
    writer.writeEndElement();
}

void Device::parseXml(QXmlStreamReader& reader) {
    address = intAttribute(reader, QStringLiteral("address"));
    zone = intAttribute(reader, QStringLiteral("zone"));
    names.reset();
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("deviceNames")) {
            auto record = std::make_shared<DeviceNames>();
            record->parseXml(reader);
            names = std::move(record);
        } else {
            reader.skipCurrentElement();
        }
    }
}

// The display names, when the device has them.
void Device::lcdCorrection() {
    if (names) {
        names->lcdCorrection();
    }
}

} // namespace config_velora_tq4
