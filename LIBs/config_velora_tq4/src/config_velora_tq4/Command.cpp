#include <config_velora_tq4/Command.h>
#include <config_velora_tq4/XmlText.h>

#include <velora_decoding/CommandText.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <sstream>

namespace config_velora_tq4 {

std::wstring Command::text(bool omitAddress) const {
    return velora_decoding::commandText(*this, omitAddress);
}

void Command::toXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("command"));
    writer.writeTextElement(QStringLiteral("name"), QString::fromStdWString(commandName));
    writer.writeStartElement(QStringLiteral("data"));
    for (std::size_t i = 0; i < data().size(); ++i) {
        writer.writeStartElement(QStringLiteral("byte"));
        writer.writeAttribute(QStringLiteral("i"), QString::number(i));
        writer.writeCharacters(toHexLiteral(data()[i]));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndElement();
}

void Command::fromXml(QXmlStreamReader& reader) {
    commandName.clear();
    clearBytes();
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("name")) {
            commandName = readWText(reader);
        } else if (reader.name() == QLatin1String("data")) {
            while (reader.readNextStartElement()) {
                if (reader.name() != QLatin1String("byte")) {
                    reader.skipCurrentElement();
                    continue;
                }
                // A missing or malformed index reads as 0.
                const int index = reader.attributes().value(QLatin1String("i")).toInt();
                if (static_cast<unsigned>(index) >= data().size()) {
                    reader.skipCurrentElement();
                    continue;
                }
                const QString value = readText(reader);
                if (value.startsWith(QLatin1String("0x"))) {
                    setByte(static_cast<std::size_t>(index),
                            static_cast<std::uint8_t>(value.midRef(2).toULongLong(nullptr, 16)));
                }
            }
        } else {
            reader.skipCurrentElement();
        }
    }
}

QString toHexLiteral(std::uint8_t value) {
    return QLatin1String("0x") +
           QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

std::wstring defaultCommandName(int index) {
    if (index < 0) {
        return {};
    }
    std::wostringstream name;
    name << L"Команда " << index + 1;
    return name.str();
}

} // namespace config_velora_tq4
