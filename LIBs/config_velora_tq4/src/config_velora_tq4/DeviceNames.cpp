#include <config_velora_tq4/DeviceNames.h>
#include <config_velora_tq4/LCDCharset.h>
#include <config_velora_tq4/XmlText.h>

#include <array>
#include <utility>

namespace config_velora_tq4 {

namespace {

using NameField = std::wstring DeviceNames::*;

// The name elements in the order they are written.
const std::array<std::pair<const char*, NameField>, 6> kNameFields{{
    {"deviceName", &DeviceNames::deviceName},
    {"outsName", &DeviceNames::outsName},
    {"loop1Name", &DeviceNames::loop1Name},
    {"loop2Name", &DeviceNames::loop2Name},
    {"line3Name", &DeviceNames::line3Name},
    {"line4Name", &DeviceNames::line4Name},
}};

// Older files name the outputs after the alert loop.
const QString kLegacyOutsName = QStringLiteral("alertLoopName");

NameField fieldOfElement(const QStringRef& element) {
    if (element == kLegacyOutsName) {
        return &DeviceNames::outsName;
    }
    for (const auto& field : kNameFields) {
        if (element == QLatin1String(field.first)) {
            return field.second;
        }
    }
    return nullptr;
}

} // namespace

bool DeviceNames::operator==(const DeviceNames& other) const {
    if (eventTable != other.eventTable) {
        return false;
    }
    for (const auto& field : kNameFields) {
        if (this->*field.second != other.*field.second) {
            return false;
        }
    }
    return true;
}

// The "deviceNames" element with all seven children, empty ones included.
void DeviceNames::toXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("deviceNames"));
    writeInt(writer, QStringLiteral("eventTable"), eventTable);
    for (const auto& field : kNameFields) {
        writeText(writer, QLatin1String(field.first), this->*field.second);
    }
    writer.writeEndElement();
}

void DeviceNames::parseXml(QXmlStreamReader& reader) {
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("eventTable")) {
            eventTable = readText(reader).toUInt(nullptr, 10);
        } else if (const NameField field = fieldOfElement(reader.name())) {
            this->*field = readWText(reader);
        } else {
            reader.skipCurrentElement();
        }
    }
}

QStringList DeviceNames::nameElements() {
    QStringList names;
    for (const auto& field : kNameFields) {
        names << QLatin1String(field.first);
    }
    return names;
}

QString DeviceNames::nameElementOf(const QStringRef& element) {
    const NameField field = fieldOfElement(element);
    for (const auto& entry : kNameFields) {
        if (field && entry.second == field) {
            return QLatin1String(entry.first);
        }
    }
    return {};
}

// The six names.
void DeviceNames::lcdCorrection() {
    for (const auto& field : kNameFields) {
        lcdCorrectText(this->*field.second);
    }
}

} // namespace config_velora_tq4
