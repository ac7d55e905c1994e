#include <config_velora_tq4/LCDCharset.h>
#include <config_velora_tq4/Section.h>
#include <config_velora_tq4/XmlText.h>

namespace config_velora_tq4 {

bool Section::operator==(const Section& other) const {
    return address == other.address && group == other.group && dubler == other.dubler &&
           name == other.name && dublerName == other.dublerName && devices == other.devices;
}

// The "section" element. A dubler's name is written when the dubler is named, and always
// beside a section name.
void Section::toXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("section"));
    writer.writeAttribute(QStringLiteral("address"), QString::number(address));
    writer.writeAttribute(QStringLiteral("group"), QString::number(group));
    if (dubler) {
        writer.writeAttribute(QStringLiteral("dubler"), QStringLiteral("true"));
    }
    if (!name.empty()) {
        writeText(writer, QStringLiteral("name"), name);
    }
    if (dubler && (!name.empty() || !dublerName.empty())) {
        writeText(writer, QStringLiteral("dublerName"), dublerName);
    }
    for (const auto& entry : devices) {
        entry.second.toXml(writer);
    }
    writer.writeEndElement();
}

void Section::parseXml(QXmlStreamReader& reader) {
    address = intAttribute(reader, QStringLiteral("address"));
    group = intAttribute(reader, QStringLiteral("group"));
    dubler = reader.attributes().value(QStringLiteral("dubler")) == QLatin1String("true");
    name.clear();
    dublerName.clear();
    devices.clear();
    while (reader.readNextStartElement()) {
        const QStringRef element = reader.name();
        if (element == QLatin1String("name")) {
            name = readWText(reader);
        } else if (element == QLatin1String("dublerName") && dubler) {
            dublerName = readWText(reader);
        } else if (element == QLatin1String("device")) {
            Device device;
            device.parseXml(reader);
            devices[device.address] = device;
        } else {
            reader.skipCurrentElement();
        }
    }
}

// The names of the section, its dubler and its devices.
void Section::lcdCorrection() {
    lcdCorrectText(name);
    if (dubler) {
        lcdCorrectText(dublerName);
    }
    for (auto& entry : devices) {
        entry.second.lcdCorrection();
    }
}

} // namespace config_velora_tq4
