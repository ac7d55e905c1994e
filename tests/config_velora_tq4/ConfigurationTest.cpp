#include "XmlSupport.h"

#include <config_velora_tq4/Configuration.h>

using namespace config_velora_tq4;
using xml_support::TraceCapture;

namespace {

const QString kFormatError = QString::fromUtf8("Неправильный формат файла.");
const QString kRoot = "<configuration deviceId='Velora-TQ4' version='2'>";

struct ReadResult {
    Configuration config;
    QString error; // empty when the reader reports none
};

ReadResult readDocument(const QString& xml) {
    ReadResult result;
    QXmlStreamReader reader(xml);
    result.config.parseXml(reader);
    if (reader.hasError()) {
        result.error = reader.errorString();
    }
    return result;
}

// Reads a document whose root holds `children`; expects no reader error.
Configuration read(const QString& children) {
    ReadResult result = readDocument(kRoot + children + "</configuration>");
    EXPECT_EQ(result.error, QString());
    return result.config;
}

QString xmlOf(const Configuration& config) {
    return xml_support::written([&](QXmlStreamWriter& w) { config.toXml(w); });
}

} // namespace

TEST(Configuration, FreshConfigurationDocument) {
    const Configuration config;
    EXPECT_EQ(xmlOf(config),
              "<configuration deviceId=\"Velora-TQ4\" version=\"2\">"
              "<backlightLevel>1</backlightLevel><backlightTime>30</backlightTime>"
              "<messageTime>32</messageTime><menuTime>60</menuTime>"
              "<clockSyncHour>2</clockSyncHour><zummerConfig>0xFF</zummerConfig>"
              "<pultType>0</pultType><voltage>12</voltage><pultAddress>0</pultAddress>"
              "<section address=\"0\" group=\"1\"/></configuration>");
    EXPECT_EQ(read(""), config);
}

TEST(Configuration, ClearAndPanelTypeRestoreTheInvariants) {
    Configuration config;
    config.setPultType(true);
    EXPECT_TRUE(config.sections().empty());
    Section section;
    section.address = 4;
    EXPECT_TRUE(config.putSection(section));
    section.address = 0;
    EXPECT_FALSE(config.putSection(section));
    EXPECT_TRUE(config.addCommand());
    EXPECT_TRUE(config.commands().front().isConsoleFormat());
    config.setPultType(true);
    EXPECT_EQ(config.sections().size(), 1u);
    EXPECT_EQ(config.commands().size(), 1u);
    config.setPultType(false);
    EXPECT_EQ(config.sections().count(0), 1u);
    EXPECT_TRUE(config.commands().empty());
    EXPECT_FALSE(config.removeSection(0));

    config.setPassword("12");
    config.setMenuTime(5);
    config.addEventTable(EventTable());
    config.clear();
    EXPECT_EQ(config, Configuration());
}

TEST(Configuration, WrongDocumentsGiveFormatErrorAndDefaults) {
    const QString body = "<menuTime>7</menuTime></";
    for (const QString& xml :
         {QString("<configuration deviceId='Velora-TQ4' version='3'><menuTime>7</menuTime>"
                  "</configuration>"),
          QString("<configuration deviceId='velora-tq4' version='2'/>"),
          QString("<configuration version='2'/>"),
          QString("<configuration deviceId='Velora-TQ4'/>"),
          QString("<config deviceId='Velora-TQ4' version='2'/>"),
          QString("<?xml version='1.0'?><!-- nothing -->"), QString("")}) {
        SCOPED_TRACE(xml.toStdString());
        const ReadResult result = readDocument(xml);
        EXPECT_EQ(result.error, kFormatError);
        EXPECT_EQ(result.config, Configuration());
    }
}

TEST(Configuration, BrokenXmlKeepsWhatWasReadAndStillCorrects) {
    const ReadResult result =
        readDocument(kRoot + "<menuTime>7</menuTime><section address='0'><name>Склад</name>"
                             "</section><eventTable index='4'><name>x</name></eventTable>"
                             "<backlightTime>8</backlightTime><pultAddress>3</pult>");
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_NE(result.error, kFormatError);
    EXPECT_EQ(result.config.menuTime(), 7);
    EXPECT_EQ(result.config.backlightTime(), 8);
    EXPECT_EQ(result.config.sections().at(0).name, L"Cклaд");
    EXPECT_EQ(result.config.eventTableCount(), 1);

    // Broken XML before the root keeps the reader's own message.
    const ReadResult garbage = readDocument("<configuration deviceId='Velora-TQ4' <");
    EXPECT_FALSE(garbage.error.isEmpty());
    EXPECT_NE(garbage.error, kFormatError);
    EXPECT_EQ(garbage.config, Configuration());
}

TEST(Configuration, NumbersAndSettings) {
    Configuration config = read("<backlightLevel>abc</backlightLevel><backlightTime>12"
                                "</backlightTime><messageTime>-4</messageTime>"
                                "<menuTime>3.5</menuTime><pultAddress>17</pultAddress>"
                                "<voltage>24</voltage><menuTime>90</menuTime>");
    EXPECT_EQ(config.backlightLevel(), 0);
    EXPECT_EQ(config.backlightTime(), 12);
    EXPECT_EQ(config.messageTime(), -4);
    EXPECT_EQ(config.menuTime(), 90); // the later element wins
    EXPECT_EQ(config.pultAddress(), 17);
    EXPECT_TRUE(config.voltage24());
    EXPECT_FALSE(read("<voltage>24 V</voltage>").voltage24());

    EXPECT_EQ(read("<clockSyncHour>23</clockSyncHour>").clockSyncHour(), 23);
    EXPECT_EQ(read("<clockSyncHour>x</clockSyncHour>").clockSyncHour(), 0);
    EXPECT_EQ(read("<clockSyncHour>-1</clockSyncHour>").clockSyncHour(), 255);
    config = read("<clockSyncHour>24</clockSyncHour>");
    EXPECT_EQ(config.clockSyncHour(), 255);
    EXPECT_TRUE(xmlOf(config).contains("<clockSyncHour>255</clockSyncHour>"));

    EXPECT_EQ(read("<zummerConfig>10</zummerConfig>").zummerConfig(), 255);
    EXPECT_EQ(read("<zummerConfig>0X10</zummerConfig>").zummerConfig(), 255);
    EXPECT_EQ(read("<zummerConfig>0xzz</zummerConfig>").zummerConfig(), 0);
    EXPECT_EQ(
        read("<zummerConfig>0x1f</zummerConfig><zummerConfig>31</zummerConfig>").zummerConfig(),
        31);
    config.setZummerConfig(10);
    EXPECT_TRUE(xmlOf(config).contains("<zummerConfig>0x0A</zummerConfig>"));
    config.setZummerConfig(0x1f);
    EXPECT_TRUE(xmlOf(config).contains("<zummerConfig>0x1F</zummerConfig>"));

    EXPECT_FALSE(xmlOf(config).contains("individualReset"));
    config = read("<pultType>1</pultType><individualReset>0</individualReset>");
    EXPECT_FALSE(config.individualReset());
    EXPECT_TRUE(xmlOf(config).contains("<individualReset>0</individualReset>"));
    EXPECT_TRUE(read("<pultType>1</pultType><individualReset>2</individualReset>"
                     "<individualReset>1</individualReset>")
                    .individualReset());
}

// A text of more than 8 characters is never taken as the password: it neither replaces a
// valid password read before nor sets one.
TEST(Configuration, PasswordRules) {
    struct Case {
        const char* children;
        bool hasPassword;
        std::string password;
    };
    const Case cases[] = {
        {"<password>1234</password>", true, "1234"},
        {"<password>12345678</password>", true, "12345678"},
        {"<password></password>", true, ""},
        {"<password>12a4</password>", false, ""},
        {"<password>1234</password><password>12a4</password>", false, "1234"},
        {"<password>123456789</password>", false, ""},
        {"<password>1234</password><password>123456789</password>", true, "1234"},
        {"<password>1234</password><password>abcdefghij</password>", true, "1234"},
        {"<password>1234</password><password>5678</password>", true, "5678"},
        {"<password>１２３</password>", false, ""}, // digits, but not 0-9
        {"<password> 123</password>", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.children);
        const Configuration config = read(c.children);
        EXPECT_EQ(config.hasPassword(), c.hasPassword);
        if (c.hasPassword) {
            EXPECT_EQ(config.password(), c.password);
            EXPECT_TRUE(xmlOf(config).contains(
                QString::fromStdString("<password>" + c.password + "</password>")));
        } else {
            EXPECT_FALSE(xmlOf(config).contains("password"));
        }
    }
}

TEST(Configuration, SectionsFollowThePanelType) {
    Configuration config = read("<section address='3' group='2'/>"
                                "<section address='0' group='4'><name>A</name></section>");
    ASSERT_EQ(config.sections().size(), 1u);
    EXPECT_EQ(config.sections().at(0).group, 4);

    config = read("<pultType>1</pultType><section address='0'/><section address='5' group='1'/>"
                  "<section address='2'/><section address='5' group='3'/>");
    ASSERT_EQ(config.sections().size(), 2u);
    EXPECT_EQ(config.sections().count(0), 0u);
    EXPECT_EQ(config.sections().at(5).group, 3);
    const QString xml = xmlOf(config);
    EXPECT_LT(xml.indexOf("address=\"2\""), xml.indexOf("address=\"5\""));
}

TEST(Configuration, PanelTypeChangeDiscardsWhatWasReadBefore) {
    const QString command = "<command><name>c</name><data><byte i='0'>0x85</byte></data>"
                            "</command>";
    Configuration config = read("<pultType>1</pultType><section address='3'/>" + command +
                                "<pultType>1</pultType>" + command);
    EXPECT_EQ(config.sections().size(), 1u);
    ASSERT_EQ(config.commands().size(), 2u);
    EXPECT_TRUE(config.commands()[0].isConsoleFormat());

    config = read("<pultType>1</pultType><section address='3'/>" + command +
                  "<pultType>0</pultType>" + command);
    EXPECT_FALSE(config.pultType());
    ASSERT_EQ(config.sections().size(), 1u);
    EXPECT_EQ(config.sections().begin()->first, 0);
    ASSERT_EQ(config.commands().size(), 1u);
    EXPECT_FALSE(config.commands()[0].isConsoleFormat());
    EXPECT_EQ(config.commands()[0].data()[0], 0x85);
}

TEST(Configuration, AtMost64CommandsAreTaken) {
    QString children;
    for (int i = 0; i < 66; ++i) {
        children += QString("<command><name>Команда %1</name></command>").arg(i);
    }
    const Configuration config = read(children + "<menuTime>5</menuTime>");
    ASSERT_EQ(config.commands().size(), 64u);
    EXPECT_EQ(config.commands().back().name(), L"Koмaндa 63");
    EXPECT_EQ(config.menuTime(), 5);
    Configuration full = config;
    EXPECT_FALSE(full.addCommand());
}

TEST(Configuration, EventTablesReadByIndex) {
    // Default contents, referenced by no device: everything goes again.
    Configuration config = read("<eventTable index='5'><name></name></eventTable>");
    EXPECT_EQ(config.eventTableCount(), 1);

    // Changed contents survive and move down; the device reference follows.
    config = read("<section address='0'><device address='9'><deviceNames><eventTable>5"
                  "</eventTable></deviceNames></device><device address='10'><deviceNames>"
                  "<eventTable>2</eventTable></deviceNames></device></section>"
                  "<eventTable index='5'><loop1Norm>x</loop1Norm></eventTable>");
    ASSERT_EQ(config.eventTableCount(), 3);
    EXPECT_EQ(config.eventTable(1).name, eventTableName(1));
    EXPECT_EQ(config.eventTable(2).texts[EventTable::Loop1Norm], L"x");
    EXPECT_EQ(config.eventTable(2).name, eventTableName(2));
    const auto& devices = config.sections().at(0).devices;
    EXPECT_EQ(devices.at(9).names->eventTable, 2u);
    EXPECT_EQ(devices.at(10).names->eventTable, 1u); // a used default table stays

    // Out-of-range indices are skipped whole; later elements are still read; a later table
    // with the same index replaces the earlier one; table 0 loses its name.
    config = read("<eventTable index='16'><name>a</name></eventTable>"
                  "<eventTable index='-1'><name>b</name></eventTable><menuTime>4</menuTime>"
                  "<eventTable index='1'><name>c</name></eventTable>"
                  "<eventTable index='1'><name>d</name><deviceTamper>t</deviceTamper>"
                  "</eventTable><eventTable><name>base</name><loop2Put>p</loop2Put>"
                  "</eventTable>");
    EXPECT_EQ(config.menuTime(), 4);
    ASSERT_EQ(config.eventTableCount(), 2);
    EXPECT_EQ(config.eventTable(0).name, L"");
    EXPECT_EQ(config.eventTable(0).texts[EventTable::Loop2Put], L"p");
    EXPECT_EQ(config.eventTable(1).name, L"d");
    EXPECT_TRUE(xmlOf(config).contains("<eventTable index=\"0\">"));
}

TEST(Configuration, UnknownElementsAreSkippedWhole) {
    const Configuration config =
        read("<extra a='1'><menuTime>1</menuTime><section address='0' group='7'/>"
             "<deep><password>12</password></deep></extra><menuTime>9</menuTime>");
    EXPECT_EQ(config.menuTime(), 9);
    EXPECT_EQ(config.sections().at(0).group, 1);
    EXPECT_FALSE(config.hasPassword());
}

TEST(Configuration, ReadTextsEndInDisplayForm) {
    const Configuration config =
        read("<pultType>1</pultType><section address='2' dubler='true'><name>Охрана</name>"
             "<dublerName>Пост</dublerName><device address='1'><deviceNames>"
             "<loop1Name>Вход</loop1Name></deviceNames></device></section>"
             "<command><name>Сброс</name></command>"
             "<eventTable index='1'><name>Склад</name><loop1Fire>Огонь</loop1Fire>"
             "</eventTable>");
    const Section& section = config.sections().at(2);
    EXPECT_EQ(section.name, L"Oxpaнa");
    EXPECT_EQ(section.dublerName, L"\u041Foc\u0442");
    EXPECT_EQ(section.devices.at(1).names->loop1Name, L"Bxoд");
    EXPECT_EQ(config.commands()[0].name(), L"Cбpoc");
    EXPECT_EQ(config.eventTable(1).name, L"Cклaд");
    EXPECT_EQ(config.eventTable(1).texts[EventTable::Loop1Fire], L"Oгoнь");
}

TEST(Configuration, TraceLinesOfARead) {
    TraceCapture trace;
    read("<menuTime>1</menuTime><eventTable index='2'><name>n</name></eventTable>");
    EXPECT_EQ(trace.captured(), QStringList({
                                    ">>> Configuration::parseXml()",
                                    "=== Processing element <menuTime>",
                                    "=== Processing element <eventTable>",
                                    "=== index = 2",
                                    ">>> EventTable::parseXml()",
                                    "<<< EventTable::parseXml",
                                    ">>> Configuration::lcdCorrection()",
                                    "=== EventTable::lcdCorrection()",
                                    "=== EventTable::lcdCorrection()",
                                    "=== EventTable::lcdCorrection()",
                                    "<<< Configuration::lcdCorrection()",
                                    ">>> Configuration::rebuildEventTables()",
                                    "<<< Configuration::rebuildEventTables() returns true",
                                    "<<< Configuration::parseXml()",
                                }));
}
