#include "XmlSupport.h"

#include <config_velora_tq4/DefaultNames.h>
#include <config_velora_tq4/Section.h>

using namespace config_velora_tq4;
using xml_support::readElement;
using xml_support::written;

namespace {

template <typename T>
T readBack(const QString& xml) {
    T value;
    readElement(xml, [&](QXmlStreamReader& r) { value.parseXml(r); });
    return value;
}

template <typename T>
QString xmlOf(const T& value) {
    return written([&](QXmlStreamWriter& w) { value.toXml(w); });
}

Device namedDevice(int address) {
    Device device;
    device.address = address;
    device.zone = 4;
    device.names = std::make_shared<DeviceNames>();
    device.names->eventTable = 2;
    device.names->deviceName = L"Dev <1>";
    device.names->line4Name = L"L4";
    return device;
}

} // namespace

TEST(DeviceNames, AllElementsAlwaysWritten) {
    EXPECT_EQ(xmlOf(DeviceNames()),
              "<deviceNames><eventTable>0</eventTable><deviceName></deviceName>"
              "<outsName></outsName><loop1Name></loop1Name><loop2Name></loop2Name>"
              "<line3Name></line3Name><line4Name></line4Name></deviceNames>");
}

TEST(DeviceNames, ReadsEveryFieldAndOldOutsName) {
    const auto names = readBack<DeviceNames>(
        "<deviceNames><eventTable>x</eventTable><eventTable>12</eventTable>"
        "<deviceName>d</deviceName><alertLoopName>o</alertLoopName><loop1Name>1</loop1Name>"
        "<loop2Name>2</loop2Name><line3Name>3</line3Name><line4Name>4<b>bold</b></line4Name>"
        "<other><deviceName>no</deviceName></other></deviceNames>");
    EXPECT_EQ(names.eventTable, 12u);
    EXPECT_EQ(names.deviceName, L"d");
    EXPECT_EQ(names.outsName, L"o");
    EXPECT_EQ(names.loop1Name, L"1");
    EXPECT_EQ(names.loop2Name, L"2");
    EXPECT_EQ(names.line3Name, L"3");
    EXPECT_EQ(names.line4Name, L"4");
    EXPECT_EQ(
        readBack<DeviceNames>("<deviceNames><eventTable>-1</eventTable></deviceNames>").eventTable,
        0u);
}

TEST(Device, CopiesOwnTheirNames) {
    const Device source = namedDevice(9);
    Device copy = source;
    ASSERT_TRUE(copy.names);
    EXPECT_NE(copy.names.get(), source.names.get());
    copy.names->deviceName = L"changed";
    EXPECT_EQ(source.names->deviceName, L"Dev <1>");

    Device assigned;
    assigned = source;
    EXPECT_EQ(assigned, source);
    EXPECT_NE(assigned.names.get(), source.names.get());
    assigned = Device();
    EXPECT_FALSE(assigned.names);
    assigned = assigned;
    EXPECT_EQ(assigned, Device());
}

TEST(Device, LcdCorrectionOfItsNames) {
    Device plain;
    plain.lcdCorrection();
    EXPECT_FALSE(plain.names);
    Device named = namedDevice(3);
    named.names->outsName = L"Выход";
    named.lcdCorrection();
    EXPECT_EQ(named.names->outsName, L"Bыxoд");
    EXPECT_EQ(named.names->eventTable, 2u);
}

TEST(Device, XmlWithAndWithoutNames) {
    Device plain;
    plain.address = 7;
    EXPECT_EQ(xmlOf(plain), "<device address=\"7\" zone=\"1\"/>");
    EXPECT_EQ(readBack<Device>(xmlOf(plain)), plain);

    const Device named = namedDevice(12);
    EXPECT_EQ(readBack<Device>(xmlOf(named)), named);

    Device emptyNames;
    emptyNames.names = std::make_shared<DeviceNames>();
    EXPECT_TRUE(xmlOf(emptyNames).contains("<eventTable>0</eventTable>"));
    EXPECT_EQ(readBack<Device>(xmlOf(emptyNames)), emptyNames);

    const auto second = readBack<Device>(
        "<device address='x' zone='3'><deviceNames><deviceName>a</deviceName></deviceNames>"
        "<deviceNames><loop1Name>b</loop1Name></deviceNames><junk/></device>");
    EXPECT_EQ(second.address, 0);
    EXPECT_EQ(second.zone, 3);
    ASSERT_TRUE(second.names);
    EXPECT_TRUE(second.names->deviceName.empty());
    EXPECT_EQ(second.names->loop1Name, L"b");
}

TEST(Section, XmlRoundTrip) {
    Section section;
    section.address = 3;
    section.group = 5;
    section.dubler = true;
    section.name = L"S&1";
    section.dublerName = L"";
    section.devices[12] = namedDevice(12);
    section.devices[2].address = 2;
    const QString xml = xmlOf(section);
    EXPECT_TRUE(xml.startsWith("<section address=\"3\" group=\"5\" dubler=\"true\">"
                               "<name>S&amp;1</name><dublerName></dublerName>"
                               "<device address=\"2\""));
    EXPECT_EQ(readBack<Section>(xml), section);
    section.dublerName = L"D";
    EXPECT_EQ(readBack<Section>(xmlOf(section)), section);
}

TEST(Section, DublerNameNeedsTheFlag) {
    Section unnamed;
    unnamed.dubler = true;
    EXPECT_EQ(xmlOf(unnamed), "<section address=\"0\" group=\"1\" dubler=\"true\"/>");
    unnamed.dublerName = L"D";
    EXPECT_EQ(xmlOf(unnamed), "<section address=\"0\" group=\"1\" dubler=\"true\">"
                              "<dublerName>D</dublerName></section>");
    EXPECT_EQ(readBack<Section>(xmlOf(unnamed)), unnamed);

    const auto upper = readBack<Section>(
        "<section address='4' dubler='TRUE'><dublerName>D<x/></dublerName><name>N</name>"
        "</section>");
    EXPECT_FALSE(upper.dubler);
    EXPECT_TRUE(upper.dublerName.empty());
    EXPECT_EQ(upper.name, L"N");
    EXPECT_EQ(upper.group, 0); // absent
}

TEST(Section, LaterDeviceWithSameAddressWins) {
    const auto section =
        readBack<Section>("<section address='1' group='2'><device address='5' zone='1'/>"
                          "<unknown><device address='6'/></unknown>"
                          "<device address='5' zone='9'/></section>");
    ASSERT_EQ(section.devices.size(), 1u);
    EXPECT_EQ(section.devices.at(5).zone, 9);
}

TEST(Section, LcdCorrection) {
    Section section;
    section.name = L"Склад";
    section.dublerName = L"Охрана";
    section.devices[1] = namedDevice(1);
    section.devices[1].names->loop2Name = L"Вход";
    section.devices[2].address = 2;
    section.lcdCorrection();
    EXPECT_EQ(section.name, L"Cклaд");
    EXPECT_EQ(section.dublerName, L"Охрана"); // not a dubler
    EXPECT_EQ(section.devices[1].names->loop2Name, L"Bxoд");
    EXPECT_EQ(section.devices[1].names->eventTable, 2u);
    section.dubler = true;
    section.lcdCorrection();
    EXPECT_EQ(section.dublerName, L"Oxpaнa");
}

TEST(DefaultNames, Builders) {
    const std::wstring address = L"\u0041\u0434\u0070\u0065\u0063\u0020";
    EXPECT_EQ(deviceTitle(15, 2), address + L"2.15");
    EXPECT_EQ(deviceTitle(15, 0), address + L"15");
    EXPECT_EQ(deviceTitle(127, 24), address + L"24.127");
    EXPECT_EQ(deviceTitle(15, 25), address + L"15");
    EXPECT_EQ(deviceTitle(0, 2), L"");
    EXPECT_EQ(deviceTitle(128, 2), L"");
    EXPECT_EQ(loop1Title(0, 2), L"\u0020\u0428\u043B\u0065\u0439\u0444\u0020\u0031");
    EXPECT_EQ(loop2Title(3, 0), address + L"3 \u0428\u043Be\u0439\u0444 2");
    EXPECT_EQ(line3Title(3, 1), address + L"1.3\u0020\u041B\u002E\u0063\u002E\u0020\u0033");
    EXPECT_EQ(line4Title(3, 1), address + L"1.3 \u041B.c. 4");
    EXPECT_EQ(outsTitle(3, 0), address + L"3\u0020\u0042\u044B\u0078\u006F\u0434\u044B");
    EXPECT_EQ(groupName(1), L"Группа A");
    EXPECT_EQ(groupName(7), L"Группа G");
    EXPECT_EQ(groupName(0), L"");
    EXPECT_EQ(groupName(8), L"");
    EXPECT_EQ(dublerTitle(24), L"\u041F\u0079\u043B\u044C\u0442\u002D\u0434\u0079\u0431\u043B"
                               L"\u0451\u0070\u002024");
    EXPECT_EQ(dublerTitle(25), L"");
    EXPECT_EQ(sectionConsoleTitle(1), L"Секционный пульт 1");
    EXPECT_EQ(sectionConsoleTitle(0), L"");
}
