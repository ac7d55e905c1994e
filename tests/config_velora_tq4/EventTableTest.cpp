#include "XmlSupport.h"

#include <config_velora_tq4/EventTable.h>

using namespace config_velora_tq4;
using xml_support::readElement;
using xml_support::written;

namespace {

QString xmlOf(const EventTable& table, int index) {
    return written([&](QXmlStreamWriter& w) { table.toXml(w, index); });
}

EventTable readTable(const QString& xml) {
    EventTable table;
    table.name = L"stale";
    table.texts[EventTable::Loop1Fire] = L"stale";
    readElement(xml, [&](QXmlStreamReader& r) { table.parseXml(r); });
    return table;
}

} // namespace

TEST(EventTable, DefaultsInDisplayForm) {
    const EventTable table;
    EXPECT_TRUE(table.name.empty());
    EXPECT_EQ(table.texts[EventTable::Loop1Norm], L"HOPMA");
    EXPECT_EQ(table.texts[EventTable::Loop2Failure],
              L"\u0048\u0045\u0418\u0043\u041F\u0050\u0041\u0042\u0048\u002E");
    EXPECT_EQ(table.texts[EventTable::Loop1Alarm],
              L"\u004F\u0054\u004B\u041B\u042E\u0427\u0401\u0048");
    EXPECT_EQ(table.texts[EventTable::Line4Activation],
              L"\u0043\u0050\u0041\u0411\u004F\u0054\u0041\u041B\u0041");
    EXPECT_EQ(table.texts[EventTable::Loop2Activation],
              L"\u0043\u0050\u0041\u0411\u004F\u0054\u0041\u041B");
    EXPECT_EQ(table.texts[EventTable::DeviceTamper],
              L"\u0042\u0043\u004B\u0050\u042B\u0054\u0418\u0045");
    int flagged = 0;
    for (int e = 0; e < EventTable::EventCount; ++e) {
        flagged += table.emergency[e];
    }
    EXPECT_EQ(flagged, 4);
    EXPECT_TRUE(table.emergency[EventTable::Loop2Warning] &&
                table.emergency[EventTable::Loop1Fire]);

    EventTable corrected = table;
    corrected.lcdCorrection();
    EXPECT_EQ(corrected, table);
}

TEST(EventTable, EqualityCoversNameTextsAndFlags) {
    const EventTable base;
    EventTable t = base;
    t.name = L"x";
    EXPECT_NE(t, base);
    t = base;
    t.texts[EventTable::OutsFailure] += L"!";
    EXPECT_NE(t, base);
    t = base;
    t.emergency[EventTable::OutsFailure] = true;
    EXPECT_NE(t, base);
    t.setDefaults();
    EXPECT_EQ(t, base);
}

TEST(EventTable, WritesOnlyChangedEvents) {
    EventTable table;
    EXPECT_EQ(xmlOf(table, 0), "<eventTable index=\"0\"><name></name></eventTable>");

    table.emergency[EventTable::Loop1Warning] = false;
    table.emergency[EventTable::Loop1Norm] = true;
    table.name = L"A&B";
    EXPECT_EQ(xmlOf(table, 7), "<eventTable index=\"7\"><name>A&amp;B</name>"
                               "<loop1Norm emergency=\"true\">HOPMA</loop1Norm>"
                               "<loop1Warning>BH\u0418MAH\u0418E</loop1Warning></eventTable>");
}

TEST(EventTable, ReadsFromDefaults) {
    const EventTable table = readTable(
        "<eventTable index='3'><name>N</name>"
        "<loop2Fire>x</loop2Fire>"                // flag cleared
        "<loop1Put emergency='TRUE'>y</loop1Put>" // only "true" sets it
        "<deviceTamper emergency='true'>z</deviceTamper>"
        "<alertLoopFailure emergency='true'>old</alertLoopFailure>" // old name of outsFailure
        "<unknown emergency='true'><loop1Norm>no</loop1Norm></unknown>"
        "<name emergency='true'>M</name>"
        "</eventTable>");
    EventTable expected;
    expected.name = L"M";
    expected.texts[EventTable::Loop2Fire] = L"x";
    expected.emergency[EventTable::Loop2Fire] = false;
    expected.texts[EventTable::Loop1Put] = L"y";
    expected.texts[EventTable::DeviceTamper] = L"z";
    expected.emergency[EventTable::DeviceTamper] = true;
    expected.texts[EventTable::OutsFailure] = L"old";
    expected.emergency[EventTable::OutsFailure] = true;
    EXPECT_EQ(table, expected);
    EXPECT_TRUE(xmlOf(table, 1).contains("<outsFailure emergency=\"true\">old</outsFailure>"));
}

TEST(EventTable, RoundTripOfEveryEvent) {
    for (int e = 0; e < EventTable::EventCount; ++e) {
        EventTable table;
        table.texts[e] = L"Текст <" + std::to_wstring(e) + L">";
        table.emergency[e] = !table.emergency[e];
        EXPECT_EQ(readTable(xmlOf(table, e)), table) << e;
    }
    EXPECT_EQ(readTable(xmlOf(EventTable(), 0)), EventTable());
}

TEST(EventTable, LcdCorrectionOfNameAndTexts) {
    EventTable table;
    table.name = L"Таблица";
    table.texts[EventTable::Line3Norm] = L"Норма";
    table.lcdCorrection();
    EXPECT_EQ(table.name, L"Ta\u0431\u043B\u0438\u0446a");
    EXPECT_EQ(table.texts[EventTable::Line3Norm], L"Hop\u043Ca");
}

TEST(EventTable, DefaultNames) {
    EXPECT_EQ(eventTableName(0), L"");
    EXPECT_EQ(eventTableName(-2), L"");
    EXPECT_EQ(eventTableName(3), L"\u0054\u0061\u0431\u043B\u0438\u0446\u0061\u00203");
    EXPECT_EQ(eventTableName(15), L"Ta\u0431\u043B\u0438\u0446a 15");
}

TEST(EventTable, TraceLines) {
    xml_support::TraceCapture trace;
    const EventTable table = readTable(xmlOf(EventTable(), 4));
    EventTable(table).lcdCorrection();
    EXPECT_EQ(trace.captured(),
              QStringList({">>> EventTable::toXml(i = 4)", "<<< EventTable::toXml()",
                           ">>> EventTable::parseXml()", "<<< EventTable::parseXml",
                           "=== EventTable::lcdCorrection()"}));
}
