#pragma once

#include <config_velora_tq4/Device.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <map>
#include <string>

namespace config_velora_tq4 {

// A section of the panel: its address, group, the optional dubler console and its devices,
// keyed by device address.
class Section {
public:
    virtual ~Section() = default;

    bool operator==(const Section& other) const;
    bool operator!=(const Section& other) const { return !(*this == other); }

    // Writes the "section" element. A dubler's name is written when the dubler is named, and
    // always beside a section name.
    void toXml(QXmlStreamWriter& writer) const;
    // Reads a "section" element whose start tag has just been read.
    void parseXml(QXmlStreamReader& reader);
    // Converts the names of the section, its dubler and its devices to display form.
    void lcdCorrection();

    int address = 0;
    int group = 1;
    bool dubler = false;
    std::wstring name;
    std::wstring dublerName; // meaningful only when dubler is set
    std::map<int, Device> devices;
};

} // namespace config_velora_tq4
