#include <config_velora_tq4/Configuration.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using config_velora_tq4::Configuration;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VELORA_CONFIG_BINARY), args);
    EXPECT_TRUE(process.waitForFinished(10000));
    ToolRun result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

std::vector<std::string> lines(const QString& text) {
    std::vector<std::string> result;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        result.push_back(line.toStdString());
    }
    return result;
}

class VeloraConfigTool : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& contents) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
        return path;
    }

    static Configuration parse(const QByteArray& xml) {
        QXmlStreamReader reader(xml);
        Configuration config;
        config.parseXml(reader);
        EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
        return config;
    }

    QTemporaryDir dir;
};

const QByteArray kSectioned = R"(<?xml version="1.0" encoding="UTF-8"?>
<configuration deviceId="Velora-TQ4" version="2">
  <pultType>1</pultType>
  <section address="2" group="1"><name>Склад</name>
    <device address="5" zone="2"><deviceNames><eventTable>4</eventTable></deviceNames></device>
    <device address="6" zone="2"/>
  </section>
  <section address="7" group="3"><device address="1" zone="1"/></section>
  <command><name>Сброс</name><data><byte i="0">0xC1</byte></data></command>
  <eventTable index="4"><loop1Fire emergency="true">Огонь</loop1Fire></eventTable>
</configuration>
)";

} // namespace

TEST_F(VeloraConfigTool, CheckPrintsDiagnosticsThenASummary) {
    // Ordinary Russian names: the display form they get is the panel's way, no warning.
    const QString path = file("panel.xml", kSectioned);
    const ToolRun r = runTool({"check", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    for (const char* line :
         {"Тип пульта: 1", "Секций: 2\n", "Приборов: 3\n", "Команд: 1\n", "Таблиц событий: 2\n",
          "Ошибок: 0\n", "Предупреждений: 0\n", "Заметок: 3 (", "показывает --verbose)\n"}) {
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line))) << line << r.out.toStdString();
    }
    const ToolRun verbose = runTool({"check", "--verbose", path});
    const auto notes = lines(verbose.err);
    ASSERT_EQ(notes.size(), 3u) << verbose.err.toStdString();
    for (const auto& line : notes) {
        EXPECT_EQ(line.find(path.toStdString() + ":"), 0u) << line;
        EXPECT_NE(line.find(": заметка: "), std::string::npos) << line;
    }
    EXPECT_FALSE(verbose.out.contains(QStringLiteral("Заметок")));

    const ToolRun strict = runTool({"check", "--strict", path});
    EXPECT_EQ(strict.exitCode, 0) << "notes are no warnings";
    EXPECT_EQ(strict.err, r.err);
    const ToolRun quiet = runTool({"check", "--quiet", path});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.out.isEmpty()) << quiet.out.toStdString();
    EXPECT_EQ(quiet.err, r.err);

    const ToolRun traced = runTool({"--trace", "check", path});
    EXPECT_EQ(traced.exitCode, 0);
    EXPECT_TRUE(traced.err.contains(">>> Configuration::parseXml()\n"));
    EXPECT_TRUE(traced.err.contains("=== Processing element <section>\n"));
    EXPECT_TRUE(traced.err.contains("<<< Configuration::parseXml()"));
}

TEST_F(VeloraConfigTool, NormalizeRefusesErrorsUnlessForced) {
    QByteArray wrongAddress = kSectioned;
    wrongAddress.replace("<device address=\"6\"", "<device address=\"200\"");
    const QString path = file("wrong.xml", wrongAddress);
    const QString diagnostic =
        path + QString::fromUtf8(":6:5: ошибка: адрес прибора 200 вне диапазона 1..127\n");

    ToolRun r = runTool({"check", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(diagnostic)) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QString::fromUtf8("Приборов: 3\nКоманд: 1\nТаблиц событий: 2\n"
                                                 "Ошибок: 1\n")))
        << r.out.toStdString();

    r = runTool({"normalize", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(diagnostic) && r.err.contains("--force")) << r.err.toStdString();

    r = runTool({"normalize", "--force", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(diagnostic)) << r.err.toStdString();
    EXPECT_EQ(parse(r.out.toUtf8()), parse(wrongAddress));

    // A document the reader refuses is never written.
    const QString broken = file("broken.xml", kSectioned.left(kSectioned.indexOf("<command>")) +
                                                  "<command><name>x</nam>");
    r = runTool({"normalize", "--force", broken});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(broken + QString::fromUtf8(":9:25: ошибка: неправильный XML: ")))
        << r.err.toStdString();
}

TEST_F(VeloraConfigTool, NormalizeWritesWhatTheLibrarySaves) {
    const QString path = file("panel.xml", kSectioned);
    const ToolRun r = runTool({"normalize", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<configuration deviceId=\"Velora-TQ4\" version=\"2\">\n    <"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QString::fromUtf8("<name>Cклaд</name>")));
    EXPECT_TRUE(r.out.contains("<eventTable>1</eventTable>"));
    EXPECT_EQ(parse(r.out.toUtf8()), parse(kSectioned));

    const ToolRun again = runTool({"normalize", file("normalized.xml", r.out.toUtf8())});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, r.out);
}

TEST_F(VeloraConfigTool, UsageAndFileErrorsExitWithTwo) {
    ToolRun r = runTool({"check", dir.filePath("missing.xml")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("missing.xml")) << r.err.toStdString();
    EXPECT_EQ(runTool({"check", dir.path()}).exitCode, 2);
    EXPECT_EQ(runTool({}).exitCode, 2);
    EXPECT_EQ(runTool({"check"}).exitCode, 2);
    EXPECT_EQ(runTool({"verify", file("panel.xml", kSectioned)}).exitCode, 2);
    EXPECT_EQ(runTool({"--loud", "check", file("panel.xml", kSectioned)}).exitCode, 2);

    r = runTool({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("check") && r.out.contains("normalize") &&
                r.out.contains("--strict") && r.out.contains("--force"));
    r = runTool({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "velora-config " VELORA_VERSION "\n");
}

// Each document of the folder carries the diagnostics it must give, in order, as comments
// after its root element: <!-- expect LINE:COLUMN ошибка|предупреждение|заметка: text -->.
class Diagnostics : public ::testing::TestWithParam<QString> {};

TEST_P(Diagnostics, DocumentGivesExactlyItsDiagnostics) {
    const QString path = QDir(QStringLiteral(VELORA_DIAGNOSTICS_DIR)).filePath(GetParam());
    QFile document(path);
    ASSERT_TRUE(document.open(QIODevice::ReadOnly));
    static const QRegularExpression kExpect(QStringLiteral("<!-- expect (\\d+):(\\d+) (.*) -->"));
    QString expected;
    for (auto match = kExpect.globalMatch(QString::fromUtf8(document.readAll()));
         match.hasNext();) {
        const auto m = match.next();
        expected +=
            QStringLiteral("%1:%2:%3: %4\n").arg(path, m.captured(1), m.captured(2), m.captured(3));
    }
    const ToolRun r = runTool({"check", "--quiet", "--verbose", path});
    EXPECT_EQ(lines(r.err), lines(expected));
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_EQ(r.exitCode, expected.contains(QString::fromUtf8(": ошибка: ")) ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, Diagnostics,
    ::testing::ValuesIn(QDir(QStringLiteral(VELORA_DIAGNOSTICS_DIR))
                            .entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)),
    [](const ::testing::TestParamInfo<QString>& info) {
        return info.param.chopped(4).replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
    });
