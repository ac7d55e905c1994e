#pragma once

class QXmlStreamReader;
class QXmlStreamWriter;

namespace config_velora_tq4 {

// A part of the configuration with an element of its own in the file: it writes its
// element, reads it once the start tag has been read, and converts its names to the
// display's form. Parts compare by value: Part defines ==, the base gives !=.
template <typename Part>
class XmlPart {
public:
    virtual ~XmlPart() = default;

    virtual void toXml(QXmlStreamWriter& writer) const = 0;
    virtual void parseXml(QXmlStreamReader& reader) = 0;
    virtual void lcdCorrection() = 0;

    friend bool operator!=(const Part& a, const Part& b) { return !(a == b); }
};

} // namespace config_velora_tq4
