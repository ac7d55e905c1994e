#pragma once

#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <string>

namespace config_velora_tq4 {

// Small helpers shared by the XML readers and writers of the configuration model.

inline QString toQString(const std::wstring& text) {
    return QString::fromStdWString(text);
}

// The text of the element the reader stands on; nested elements are skipped, so a stray
// child never turns a readable document into an error. The reader ends on the end tag.
inline QString readText(QXmlStreamReader& reader) {
    return reader.readElementText(QXmlStreamReader::SkipChildElements);
}

inline std::wstring readWText(QXmlStreamReader& reader) {
    return readText(reader).toStdWString();
}

// Decimal integers; text that is not a number reads as 0.
inline int readInt(QXmlStreamReader& reader) {
    return readText(reader).toInt(nullptr, 10);
}

inline int intAttribute(const QXmlStreamReader& reader, const QString& name) {
    return reader.attributes().value(name).toInt(nullptr, 10);
}

inline void writeText(QXmlStreamWriter& writer, const QString& name, const std::wstring& text) {
    writer.writeTextElement(name, toQString(text));
}

inline void writeInt(QXmlStreamWriter& writer, const QString& name, long long value) {
    writer.writeTextElement(name, QString::number(value));
}

} // namespace config_velora_tq4
