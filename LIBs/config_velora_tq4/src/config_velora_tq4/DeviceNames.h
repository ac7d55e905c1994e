#pragma once

#include <config_velora_tq4/XmlPart.h>

#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <string>

namespace config_velora_tq4 {

// Display names of one device and the index of its event table in the configuration.
class DeviceNames : public XmlPart<DeviceNames> {
public:
    bool operator==(const DeviceNames& other) const;
    void toXml(QXmlStreamWriter& writer) const override;
    void parseXml(QXmlStreamReader& reader) override;
    void lcdCorrection() override;

    // The elements of the six names, in the order they are written.
    static QStringList nameElements();
    // The name element that `element` is read as (an older file's name included); empty
    // when it is not one.
    static QString nameElementOf(const QStringRef& element);

    unsigned eventTable = 0; // 0: the base table
    std::wstring deviceName;
    std::wstring outsName;
    std::wstring loop1Name;
    std::wstring loop2Name;
    std::wstring line3Name;
    std::wstring line4Name;
};

} // namespace config_velora_tq4
