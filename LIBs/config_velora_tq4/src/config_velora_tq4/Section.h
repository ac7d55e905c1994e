#pragma once

#include <config_velora_tq4/Device.h>
#include <config_velora_tq4/XmlPart.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <map>
#include <string>

namespace config_velora_tq4 {

// A section of the panel: its address, group, the optional dubler console and its devices,
// keyed by device address.
class Section : public XmlPart<Section> {
public:
    bool operator==(const Section& other) const;
    void toXml(QXmlStreamWriter& writer) const override;
    void parseXml(QXmlStreamReader& reader) override;
    void lcdCorrection() override;

    int address = 0;
    int group = 1;
    bool dubler = false;
    std::wstring name;
    std::wstring dublerName; // meaningful only when dubler is set
    std::map<int, Device> devices;
};

} // namespace config_velora_tq4
