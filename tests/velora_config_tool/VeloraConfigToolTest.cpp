#include <config_velora_tq4/Configuration.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using config_velora_tq4::Configuration;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class VeloraConfigTool : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& contents) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
        return path;
    }

    static ToolRun run(const QStringList& args) {
        QProcess process;
        process.start(QStringLiteral(VELORA_CONFIG_BINARY), args);
        EXPECT_TRUE(process.waitForFinished(10000));
        ToolRun result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
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

TEST_F(VeloraConfigTool, CheckPrintsASummary) {
    const QString path = file("panel.xml", kSectioned);
    const ToolRun r = run({"check", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    for (const char* line :
         {"Тип пульта: 1", "Секций: 2\n", "Приборов: 3\n", "Команд: 1\n", "Таблиц событий: 2\n"}) {
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line))) << line << r.out.toStdString();
    }

    const ToolRun traced = run({"--trace", "check", path});
    EXPECT_EQ(traced.exitCode, 0);
    EXPECT_TRUE(traced.err.contains(">>> Configuration::parseXml()\n"));
    EXPECT_TRUE(traced.err.contains("=== Processing element <section>\n"));
    EXPECT_TRUE(traced.err.contains("<<< Configuration::parseXml()"));
}

TEST_F(VeloraConfigTool, WrongDocumentsExitWithOne) {
    const QString version = file("v3.xml", "<?xml version=\"1.0\"?>\n"
                                           "<configuration deviceId=\"Velora-TQ4\" version=\"3\">"
                                           "</configuration>\n");
    ToolRun r = run({"check", version});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith(version + ":2:")) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(QString::fromUtf8(": Неправильный формат файла.\n")))
        << r.err.toStdString();

    const QString broken = file("broken.xml", kSectioned.left(kSectioned.indexOf("<command>")) +
                                                  "<command><name>x</nam>");
    r = run({"normalize", broken});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith(broken + ":9:")) << r.err.toStdString();

    r = run({"check", file("empty.xml", "")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Неправильный формат файла.")));
}

TEST_F(VeloraConfigTool, NormalizeWritesWhatTheLibrarySaves) {
    const QString path = file("panel.xml", kSectioned);
    const ToolRun r = run({"normalize", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<configuration deviceId=\"Velora-TQ4\" version=\"2\">\n    <"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QString::fromUtf8("<name>Cклaд</name>")));
    EXPECT_TRUE(r.out.contains("<eventTable>1</eventTable>"));
    EXPECT_EQ(parse(r.out.toUtf8()), parse(kSectioned));

    const ToolRun again = run({"normalize", file("normalized.xml", r.out.toUtf8())});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, r.out);
}

TEST_F(VeloraConfigTool, UsageAndFileErrorsExitWithTwo) {
    ToolRun r = run({"check", dir.filePath("missing.xml")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("missing.xml")) << r.err.toStdString();
    EXPECT_EQ(run({"check", dir.path()}).exitCode, 2);
    EXPECT_EQ(run({}).exitCode, 2);
    EXPECT_EQ(run({"check"}).exitCode, 2);
    EXPECT_EQ(run({"verify", file("panel.xml", kSectioned)}).exitCode, 2);
    EXPECT_EQ(run({"--quiet", "check", file("panel.xml", kSectioned)}).exitCode, 2);

    r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("check") && r.out.contains("normalize") &&
                r.out.contains("--trace"));
}
