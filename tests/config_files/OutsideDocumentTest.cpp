// Configuration files as they come from the outside world: cut off, in other encodings,
// huge, deeply nested, or built to expand. Reading must fail clearly or succeed, always
// leave a complete configuration, and keep memory bounded.
#include <config_velora_tq4/Configuration.h>

#include <QByteArray>
#include <QString>
#include <QTextCodec>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

using config_velora_tq4::Configuration;

const QString kFormatError = QStringLiteral("Неправильный формат файла.");

const char* const kDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<configuration deviceId="Velora-TQ4" version="2">
    <backlightLevel>3</backlightLevel>
    <clockSyncHour>5</clockSyncHour>
    <zummerConfig>0x1f</zummerConfig>
    <password>1234</password>
    <pultType>1</pultType>
    <voltage>24</voltage>
    <pultAddress>5</pultAddress>
    <section address="1" group="2" dubler="true">
        <name>Склад</name>
        <dublerName>Охрана</dublerName>
        <device address="3" zone="4">
            <deviceNames>
                <eventTable>1</eventTable>
                <deviceName>Ворота</deviceName>
                <loop1Name>Дверь</loop1Name>
            </deviceNames>
        </device>
    </section>
    <command>
        <name>Сброс</name>
        <data><byte i="0">0xC1</byte><byte i="1">0x80</byte><byte i="5">0x03</byte></data>
    </command>
    <eventTable index="1">
        <name>Склад</name>
        <loop1Norm emergency="true">Норма</loop1Norm>
    </eventTable>
</configuration>
)";

struct Reading {
    Configuration configuration;
    bool failed = false;
    QString error;
};

// The debug trace names every element; for documents of a hundred thousand elements it
// would be most of the test's time.
class OutsideDocument : public ::testing::Test {
protected:
    void SetUp() override {
        previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }
    void TearDown() override { qInstallMessageHandler(previous); }

    static Reading read(const QByteArray& document) {
        Reading reading;
        QXmlStreamReader reader(document);
        reading.configuration.parseXml(reader);
        reading.failed = reader.hasError();
        reading.error = reader.errorString();
        return reading;
    }

    // What every reading leaves, whatever the document.
    static void expectComplete(const Configuration& c) {
        EXPECT_GE(c.eventTableCount(), 1);
        EXPECT_LE(c.eventTableCount(), Configuration::kMaxEventTables);
        EXPECT_TRUE(c.pultType() || c.sections().count(0) == 1);
        EXPECT_LE(c.commands().size(), static_cast<std::size_t>(Configuration::kMaxCommands));
    }

    static long peakResidentMb() {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss / 1024;
    }

    QtMessageHandler previous = nullptr;
};

TEST_F(OutsideDocument, TheSampleReads) {
    const Reading reading = read(kDocument);
    ASSERT_FALSE(reading.failed) << reading.error.toStdString();
    EXPECT_EQ(reading.configuration.sections().size(), 1u);
    EXPECT_EQ(reading.configuration.commands().size(), 1u);
    EXPECT_EQ(reading.configuration.eventTableCount(), 2);
}

TEST_F(OutsideDocument, EveryTruncationFailsWithAnErrorAndLeavesACompleteConfiguration) {
    const QByteArray whole(kDocument);
    const int rootEnd = whole.indexOf("</configuration>") + int(sizeof "</configuration>") - 1;
    int silentCuts = 0;
    int firstSilentCut = -1;
    for (int cut = 0; cut < rootEnd; ++cut) {
        const Reading reading = read(whole.left(cut));
        if (!reading.failed || reading.error.isEmpty()) {
            ++silentCuts;
            firstSilentCut = firstSilentCut < 0 ? cut : firstSilentCut;
        }
        expectComplete(reading.configuration);
    }
    EXPECT_EQ(silentCuts, 0) << "a document cut after " << firstSilentCut
                             << " bytes was read as complete";
    EXPECT_FALSE(read(whole.left(rootEnd)).failed);
}

TEST_F(OutsideDocument, OtherDeclaredEncodingsReadTheSame) {
    const Configuration expected = read(kDocument).configuration;
    QString text = QString::fromUtf8(kDocument);

    for (const char* encoding : {"UTF-16LE", "UTF-16BE", "windows-1251", "KOI8-R"}) {
        QString declared = text;
        declared.replace(QStringLiteral("encoding=\"UTF-8\""),
                         QStringLiteral("encoding=\"%1\"").arg(encoding));
        QTextCodec* codec = QTextCodec::codecForName(encoding);
        ASSERT_NE(codec, nullptr) << encoding;
        const Reading reading = read(codec->fromUnicode(declared));
        EXPECT_FALSE(reading.failed) << encoding << ": " << reading.error.toStdString();
        EXPECT_TRUE(reading.configuration == expected) << encoding;
    }
}

TEST_F(OutsideDocument, WronglyEncodedBytesAreAnErrorNotGarbledNames) {
    // Declared UTF-8, written in windows-1251 (a file saved by the wrong editor).
    const QByteArray bytes =
        QTextCodec::codecForName("windows-1251")->fromUnicode(QString::fromUtf8(kDocument));
    const Reading reading = read(bytes);
    EXPECT_TRUE(reading.failed);
    EXPECT_FALSE(reading.error.isEmpty());
    expectComplete(reading.configuration);

    const Reading unknown = read(QByteArray(kDocument).replace("UTF-8", "x-velora-unknown"));
    EXPECT_TRUE(unknown.failed);
    EXPECT_TRUE(unknown.error.contains(QStringLiteral("x-velora-unknown")))
        << unknown.error.toStdString();
    expectComplete(unknown.configuration);
}

TEST_F(OutsideDocument, TenMegabytesOfCommandsKeepSixtyFour) {
    QByteArray document = R"(<configuration deviceId="Velora-TQ4" version="2">)";
    const QByteArray command =
        R"(<command><name>Команда</name><data><byte i="0">0x85</byte></data></command>)";
    while (document.size() < 10 * 1024 * 1024) {
        document += command;
    }
    document += "<menuTime>7</menuTime></configuration>";
    const long peakBefore = peakResidentMb();
    const Reading reading = read(document);
    EXPECT_FALSE(reading.failed) << reading.error.toStdString();
    EXPECT_EQ(reading.configuration.commands().size(),
              static_cast<std::size_t>(Configuration::kMaxCommands));
    EXPECT_EQ(reading.configuration.menuTime(), 7) << "reading did not go on to the end";
    EXPECT_LT(peakResidentMb() - peakBefore, 200);
}

TEST_F(OutsideDocument, TenMegabyteNameIsKeptWhole) {
    const int length = 10 * 1024 * 1024;
    const QByteArray document = R"(<configuration deviceId="Velora-TQ4" version="2"><pultType>1)"
                                R"(</pultType><section address="4" group="1"><name>)" +
                                QByteArray(length, 'x') + "</name></section></configuration>";
    const Reading reading = read(document);
    ASSERT_FALSE(reading.failed) << reading.error.toStdString();
    ASSERT_EQ(reading.configuration.sections().count(4), 1u);
    EXPECT_EQ(reading.configuration.sections().at(4).name.size(), static_cast<std::size_t>(length));
}

TEST_F(OutsideDocument, DeepNestingIsSkippedWholeAndReadingGoesOn) {
    const int depth = 100000;
    QByteArray nested;
    for (int i = 0; i < depth; ++i) {
        nested += "<x>";
    }
    for (int i = 0; i < depth; ++i) {
        nested += "</x>";
    }
    const QByteArray document = R"(<configuration deviceId="Velora-TQ4" version="2"><pultType>1)"
                                R"(</pultType><section address="4" group="1"><device address="2")"
                                R"( zone="1"><deviceNames>)" +
                                nested + "</deviceNames></device></section>" + nested +
                                "<menuTime>7</menuTime></configuration>";
    const Reading reading = read(document);
    ASSERT_FALSE(reading.failed) << reading.error.toStdString();
    EXPECT_EQ(reading.configuration.menuTime(), 7);
    EXPECT_EQ(reading.configuration.sections().count(4), 1u);

    const Reading unclosed = read(document.left(document.size() / 4));
    EXPECT_TRUE(unclosed.failed);
    expectComplete(unclosed.configuration);
}

// A few hundred bytes of entity declarations that expand a billion times ("billion
// laughs"), or one long entity referenced over and over: refused before anything expands.
TEST_F(OutsideDocument, EntityExpansionIsRefusedBeforeItStarts) {
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE configuration [\n"
                        "<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char name = 'b'; name <= 'j'; ++name) {
        QByteArray references;
        for (int k = 0; k < 10; ++k) {
            references += QByteArray("&") + char(name - 1) + ";";
        }
        laughs += QByteArray("<!ENTITY ") + name + " \"" + references + "\">\n";
    }
    laughs += "]>\n<configuration deviceId=\"Velora-TQ4\" version=\"2\">"
              "<password>&j;</password></configuration>";

    QByteArray repeated = "<?xml version=\"1.0\"?>\n<!DOCTYPE configuration [\n<!ENTITY a \"" +
                          QByteArray(4000, 'a') +
                          "\">\n]>\n<configuration deviceId=\"Velora-TQ4\" version=\"2\">"
                          "<section address=\"0\" group=\"1\"><name>";
    for (int i = 0; i < 50000; ++i) {
        repeated += "&a;";
    }
    repeated += "</name></section></configuration>";

    const QByteArray inAttribute = "<!DOCTYPE configuration [<!ENTITY id \"Velora-TQ4\">]>"
                                   "<configuration deviceId=\"&id;\" version=\"2\"/>";

    const long peakBefore = peakResidentMb();
    for (const QByteArray& document : {laughs, repeated, inAttribute}) {
        const Reading reading = read(document);
        EXPECT_TRUE(reading.failed);
        EXPECT_EQ(reading.error, kFormatError);
        EXPECT_TRUE(reading.configuration == Configuration());
    }
    EXPECT_LT(peakResidentMb() - peakBefore, 50);
}

TEST_F(OutsideDocument, DocumentTypeWithoutEntitiesIsAccepted) {
    QByteArray document(kDocument);
    document.replace("?>\n", "?>\n<!DOCTYPE configuration>\n");
    EXPECT_FALSE(read(document).failed);
}

} // namespace
