#include <config_velora_tq4/Command.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <gtest/gtest.h>

#include <random>

using config_velora_tq4::Command;

namespace {

std::wstring deviceText(std::vector<std::uint8_t> bytes, bool omitAddress = true) {
    bytes.resize(8, 0);
    return Command(bytes, false).text(omitAddress);
}

std::wstring consoleText(const std::vector<std::uint8_t>& bytes) {
    return Command(bytes, true).text(false);
}

// Reads `xml` into a fresh command of the given layout; returns the command and checks
// that the reader ends on the end of the outer "command" element.
Command readCommand(const QString& xml, bool consoleFormat) {
    QXmlStreamReader reader(xml);
    EXPECT_TRUE(reader.readNextStartElement());
    Command command(consoleFormat);
    command.fromXml(reader);
    EXPECT_TRUE(reader.isEndElement());
    EXPECT_EQ(reader.name(), QLatin1String("command"));
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return command;
}

} // namespace

TEST(CommandText, DeviceLayoutLines) {
    EXPECT_EQ(deviceText({0x85, 0x00, 0x11, 0x00, 0x00, 0x00}),
              L"Команда: сброс; включить шлейф 1.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0x00, 0x00, 0x00, 0x00}), L"Команда: - .");
    EXPECT_EQ(deviceText({0x85, 0x05, 0x00, 0x00, 0x00, 0x00}),
              L"Команда: групповые команды 0, 2.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0x30, 0x85, 0xFF, 0x00}),
              L"Команда: отмена тревоги; включить шлейфы 1 и 2; включить все выходы.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0x84, 0x85, 0x00, 0x05}),
              L"Команда: отмена тревоги; выключить шлейфы 1 и 2; выключить выходы 1, 3.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0x00, 0x00, 0x00, 0x80}, false),
              L"Команда прибору 5: выключить выход 8.");
}

TEST(CommandText, DeviceLayoutHeadersAndLists) {
    EXPECT_EQ(deviceText({0x80}, false), L"Команда всем приборам: - .");
    EXPECT_EQ(deviceText({0x00}, false), L"Команда всем приборам: - .");
    EXPECT_EQ(deviceText({0xFF}, false), L"Команда прибору 127: - .");
    EXPECT_EQ(deviceText({0x85, 0x01}), L"Команда: групповая команда 0.");
    EXPECT_EQ(deviceText({0x85, 0xFF}), L"Команда: групповые команды 0, 1, 2, 3, 4, 5, 6, 7.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0x00, 0x00, 0x7F}),
              L"Команда: включить выходы 1, 2, 3, 4, 5, 6, 7.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0x00, 0x00, 0x00, 0xFF}), L"Команда: выключить все выходы.");
    // Loop 1 both on and off: on first; loop 2 alone.
    EXPECT_EQ(deviceText({0x85, 0x00, 0x14}), L"Команда: включить шлейф 1; выключить шлейф 1.");
    EXPECT_EQ(deviceText({0x85, 0x00, 0xA0}), L"Команда: включить шлейф 2; выключить шлейф 2.");
    // Bits 1, 3 and 6 of the flags byte mean nothing.
    EXPECT_EQ(deviceText({0x85, 0x00, 0x4A}), L"Команда: - .");
}

TEST(CommandText, ConsoleLayout) {
    EXPECT_EQ(consoleText({0xC2, 0x80, 0x00, 0x01, 0x11, 0x05, 0x01, 0x00}),
              L"Команда пульту 2: сброс; отмена тревоги; команда прибору 5: сброс; включить "
              L"шлейф 1; включить выход 1.");
    EXPECT_EQ(consoleText({0xC0, 0, 0, 0, 0, 3, 0, 0}),
              L"Команда всем пультам: команда прибору 3: - .");
    // Bits 0..3 of byte 1 are groups 4..7; bits 4..6 are ignored.
    EXPECT_EQ(consoleText({0xC1, 0x71, 0, 0, 0, 0, 0, 0}),
              L"Команда пульту 1: групповая команда 4.");
    EXPECT_EQ(consoleText({0xC1, 0x0F, 0, 0, 0, 0, 0, 0}),
              L"Команда пульту 1: групповые команды 4, 5, 6, 7.");
    // The device part's flags, outputs and switches come from bytes 4, 6 and 7 only.
    EXPECT_EQ(consoleText({0xC1, 0, 0xFF, 0, 0x84, 9, 0xFF, 0x06}),
              L"Команда пульту 1: команда прибору 9: выключить шлейфы 1 и 2; включить все "
              L"выходы; выключить выходы 2, 3.");
    // Without a device part, bytes 4, 6 and 7 are not shown.
    EXPECT_EQ(consoleText({0xC1, 0, 0, 0, 0x11, 0, 0xFF, 0xFF}), L"Команда пульту 1: - .");
}

TEST(CommandText, ShortAndLongByteVectorsAreSafe) {
    EXPECT_EQ(Command({}, false).text(false), L"Команда всем приборам: - .");
    EXPECT_EQ(Command({}, true).text(false), L"Команда всем пультам: - .");
    EXPECT_EQ(Command({0x85, 0x00, 0x01}, false).text(true), L"Команда: сброс.");

    Command shortCommand({0x85, 0x00}, false);
    shortCommand.setOutputOn(1, true);
    shortCommand.setCancelAlarm(true);
    shortCommand.setLoopOn(1, true);
    EXPECT_EQ(shortCommand.data(), (std::vector<std::uint8_t>{0x85, 0x00}));
    EXPECT_FALSE(shortCommand.outputOn(1));

    Command longCommand(std::vector<std::uint8_t>(12, 0xFF), true);
    EXPECT_EQ(longCommand.data().size(), 12u);
    EXPECT_EQ(longCommand.deviceAddress(), 0xFF);
}

TEST(CommandFields, NewCommands) {
    const Command device(false);
    EXPECT_EQ(device.data(), (std::vector<std::uint8_t>{0x81, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(device.deviceAddress(), 1);
    EXPECT_EQ(device.consoleNumber(), 0);
    const Command console(true);
    EXPECT_EQ(console.data(), (std::vector<std::uint8_t>{0xC1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(console.consoleNumber(), 1);
    EXPECT_EQ(console.deviceAddress(), 0);
    EXPECT_TRUE(console.name().empty());
}

TEST(CommandFields, DeviceAddressAndOutputsKeepByte3InStep) {
    Command command(false);
    command.setDeviceAddress(5);
    EXPECT_EQ(command.data()[0], 0x85);
    EXPECT_EQ(command.data()[3], 0x00);
    command.setOutputOn(2, true);
    EXPECT_EQ(command.data()[4], 0x02);
    EXPECT_EQ(command.data()[3], 0x05);
    command.setOutputOn(2, false);
    EXPECT_EQ(command.data()[4], 0x00);
    EXPECT_EQ(command.data()[3], 0x00);

    command.setOutputOff(8, true);
    command.setDeviceAddress(9);
    EXPECT_EQ(command.data()[3], 0x09);
    command.setCancelAlarm(true);
    EXPECT_EQ(command.data()[3], 0x89);
    command.setOutputOff(8, false);
    EXPECT_EQ(command.data()[3], 0x89);
    command.setCancelAlarm(false);
    EXPECT_EQ(command.data()[3], 0x00);

    command.setDeviceAddress(0);
    EXPECT_EQ(command.data()[0], 0x00);
    command.setDeviceAddress(-3);
    EXPECT_EQ(command.data()[0], 0x00);
    command.setDeviceAddress(300);
    EXPECT_EQ(command.data()[0], static_cast<std::uint8_t>(300 | 0x80));
}

TEST(CommandFields, SettersAndGettersPerLayout) {
    for (bool console : {false, true}) {
        Command command(console);
        command.setDeviceReset(true);
        command.setLoopOn(1, true);
        command.setLoopOn(2, true);
        command.setLoopOff(1, true);
        command.setLoopOff(2, true);
        command.setLoopOn(3, true);
        command.setOutputOn(8, true);
        command.setOutputOff(1, true);
        command.setOutputOn(0, true);
        command.setOutputOff(9, true);
        const std::size_t flags = console ? 4 : 2;
        EXPECT_EQ(command.data()[flags], 0xB5) << console;
        EXPECT_EQ(command.data()[console ? 6 : 4], 0x80) << console;
        EXPECT_EQ(command.data()[console ? 7 : 5], 0x01) << console;
        EXPECT_TRUE(command.deviceReset());
        EXPECT_TRUE(command.loopOn(2) && command.loopOff(2));
        EXPECT_FALSE(command.loopOn(0) || command.loopOff(3));
        EXPECT_TRUE(command.outputOn(8) && command.outputOff(1));
        EXPECT_FALSE(command.outputOn(0) || command.outputOff(9));
        command.setLoopOff(2, false);
        EXPECT_EQ(command.data()[flags], 0x35) << console;
    }

    Command device(false);
    device.setGroupCommand(0, true);
    device.setGroupCommand(7, true);
    device.setGroupCommand(8, true);
    device.setConsoleNumber(3);
    device.setConsoleReset(true);
    EXPECT_EQ(device.data()[1], 0x81);
    EXPECT_EQ(device.data()[0], 0x81);
    EXPECT_TRUE(device.groupCommand(7));
    EXPECT_FALSE(device.groupCommand(-1));
    EXPECT_FALSE(device.consoleReset());

    Command console(true);
    console.setGroupCommand(3, true);
    console.setGroupCommand(4, true);
    console.setGroupCommand(7, true);
    console.setConsoleReset(true);
    console.setCancelAlarm(true);
    console.setDeviceAddress(0x85);
    EXPECT_EQ(console.data(), (std::vector<std::uint8_t>{0xC1, 0x89, 0, 0x01, 0, 0x05, 0, 0}));
    EXPECT_TRUE(console.groupCommand(4) && console.groupCommand(7));
    EXPECT_FALSE(console.groupCommand(0));
    console.setConsoleNumber(63);
    EXPECT_EQ(console.consoleNumber(), 63);
    console.setConsoleNumber(0);
    EXPECT_EQ(console.data()[0], 0);
}

TEST(CommandXml, HexLiteralAndDefaultName) {
    EXPECT_EQ(config_velora_tq4::toHexLiteral(0x0A), QStringLiteral("0x0A"));
    EXPECT_EQ(config_velora_tq4::toHexLiteral(0xC1), QStringLiteral("0xC1"));
    EXPECT_EQ(config_velora_tq4::toHexLiteral(0), QStringLiteral("0x00"));
    EXPECT_EQ(config_velora_tq4::defaultCommandName(0), L"Команда 1");
    EXPECT_EQ(config_velora_tq4::defaultCommandName(11), L"Команда 12");
    EXPECT_EQ(config_velora_tq4::defaultCommandName(-1), L"");
}

TEST(CommandXml, WritesNameAndEveryByte) {
    Command command({0x85, 0x0A}, false);
    command.setName(L"Сброс");
    QString xml;
    QXmlStreamWriter writer(&xml);
    command.toXml(writer);
    EXPECT_EQ(xml, QStringLiteral("<command><name>Сброс</name><data><byte i=\"0\">0x85</byte>"
                                  "<byte i=\"1\">0x0A</byte></data></command>"));
}

TEST(CommandXml, ReadingIsRobust) {
    const Command command =
        readCommand(QStringLiteral("<command><unknown><name>x</name></unknown>"
                                   "<name>Тест</name>"
                                   "<data><byte i=\"8\">0x11</byte><byte i=\"-1\">0x22</byte>"
                                   "<comment><byte i=\"2\">0x33</byte></comment>"
                                   "<byte i=\"1\">0x1ff</byte><byte i=\"2\">33</byte>"
                                   "<byte i=\"3\">0X44</byte><byte i=\"4\">0xZZ</byte>"
                                   "<byte i=\"x5\">0x55</byte><byte i=\"7\">0xab</byte></data>"
                                   "<trailer/></command>"),
                    true);
    EXPECT_EQ(command.name(), L"Тест");
    // Missing and malformed indices read as 0: the "x5" element lands in byte 0.
    EXPECT_EQ(command.data(), (std::vector<std::uint8_t>{0x55, 0xFF, 0, 0, 0, 0, 0, 0xAB}));
}

// A stray child inside a text element is skipped; it does not break the document.
TEST(CommandXml, StrayChildInsideNameOrByteIsSkipped) {
    const Command command = readCommand(
        QStringLiteral(
            "<command><name>A<b>x</b>B</name>"
            "<data><byte i=\"0\">0x<i/>12</byte><byte i=\"1\">0x34</byte></data></command>"),
        false);
    EXPECT_EQ(command.name(), L"AB");
    EXPECT_EQ(command.data(), (std::vector<std::uint8_t>{0x12, 0x34, 0, 0, 0, 0, 0, 0}));
}

TEST(CommandXml, ReadingClearsAndEndsOnItsElement) {
    QXmlStreamReader reader(QStringLiteral("<list><command><data><byte>0x07</byte></data>"
                                           "</command><next/></list>"));
    ASSERT_TRUE(reader.readNextStartElement());
    ASSERT_TRUE(reader.readNextStartElement());
    Command command({0x85, 1, 2, 3, 4, 5, 6, 7}, false);
    command.setName(L"old");
    command.fromXml(reader);
    EXPECT_TRUE(command.name().empty());
    EXPECT_EQ(command.data(), (std::vector<std::uint8_t>{0x07, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.name(), QLatin1String("next"));
}

TEST(CommandXml, RoundTripOfRandomCommands) {
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> byteValue(0, 255);
    for (int n = 0; n < 200; ++n) {
        const bool console = n % 2 == 1;
        std::vector<std::uint8_t> bytes(8);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(byteValue(rng));
        }
        Command original(bytes, console);
        original.setName(config_velora_tq4::defaultCommandName(n) + L" <&\">");
        QString xml;
        QXmlStreamWriter writer(&xml);
        original.toXml(writer);
        const Command copy = readCommand(xml, console);
        EXPECT_EQ(copy.name(), original.name());
        EXPECT_EQ(copy.data(), original.data());
        EXPECT_EQ(copy.text(false), original.text(false));
    }
}
