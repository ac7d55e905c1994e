#pragma once

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <array>
#include <string>

namespace config_velora_tq4 {

// The 24 texts that the panel's display shows for the states of one device's loops, lines,
// tamper and outputs, each with an "emergency" mark. Texts are kept in display form.
class EventTable {
public:
    enum Event : int {
        Loop1Norm,
        Loop1Failure,
        Loop1Warning,
        Loop1Fire,
        Loop1TakeOff,
        Loop1Put,
        Loop1Alarm,
        Loop1Activation,
        Loop2Norm,
        Loop2Failure,
        Loop2Warning,
        Loop2Fire,
        Loop2TakeOff,
        Loop2Put,
        Loop2Alarm,
        Loop2Activation,
        Line3Norm,
        Line3Failure,
        Line3Activation,
        Line4Norm,
        Line4Failure,
        Line4Activation,
        DeviceTamper,
        OutsFailure,
        EventCount
    };

    EventTable();
    virtual ~EventTable() = default;

    // Empties the name and restores every text and flag to its default.
    void setDefaults();

    bool operator!=(const EventTable& other) const;
    bool operator==(const EventTable& other) const { return !(*this != other); }

    // Writes the "eventTable" element; events equal to their defaults are left out.
    void toXml(QXmlStreamWriter& writer, int index) const;
    // Reads the contents of an "eventTable" element whose start tag has just been read.
    void parseXml(QXmlStreamReader& reader);
    // Converts the name and the texts to display form.
    void lcdCorrection();

    static QString elementName(Event event);
    // The event that `element` is read as (an older file's name included); -1 for none.
    static int eventOfElement(const QStringRef& element);
    static const std::wstring& defaultText(Event event);
    static bool defaultEmergency(Event event);

    std::wstring name;
    std::array<std::wstring, EventCount> texts;
    std::array<bool, EventCount> emergency{};
};

// The default name of table i: "Taблицa " and i, for i > 0; empty otherwise.
std::wstring eventTableName(int i);

} // namespace config_velora_tq4
