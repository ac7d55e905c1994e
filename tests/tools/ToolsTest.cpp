// velora-sim and velora-sniff as programs: the simulator's events are what the decoder
// reports, from a file and live through a pseudo-terminal; recording, filters, the
// statistics table and the exit codes.
#include "ToolRunner.h"

#include <velora_traffic/TrafficGenerator.h>

#include <test_support/PseudoTerminal.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

using velora_traffic::TrafficGenerator;

namespace {

const QStringList kScenarios[] = {
    {},
    {"--devices", "1,62-66,79,111,126", "--last-address", "127", "--change-rate", "0.2",
     "--command-rate", "0.1", "--noise-rate", "0.05"},
    {"-d", "3", "-l", "4", "-c", "0.5", "-k", "0.3", "-n", "0.3"},
};

} // namespace

TEST_F(ToolsTest, SimulatedEventsAreWhatTheReplayReports) {
    for (const QStringList& scenario : kScenarios) {
        for (const char* seed : {"1", "77", "4000000000"}) {
            const QStringList options =
                scenario + QStringList{"--seed", seed,         "--bytes", "30000",
                                       "-o",     path("line"), "-e",      path("events")};
            ASSERT_EQ(sim(options).exitCode, 0);
            const Result decoded = sniff({"--tsv", "--replay", path("line")});
            ASSERT_EQ(decoded.exitCode, 0);
            EXPECT_GE(readFile(path("line")).size(), 30000);
            ASSERT_EQ(withoutText(decoded.out), lines(readFile(path("events"))))
                << scenario.join(' ').toStdString() << " --seed " << seed;
        }
    }
}

TEST_F(ToolsTest, StandardOutputIntoStandardInput) {
    const Result line = sim({"--seed", "5", "--duration", "10"});
    ASSERT_EQ(line.exitCode, 0);
    EXPECT_NEAR(line.out.size(), 17455, 40);
    ASSERT_EQ(sim({"--seed", "5", "--duration", "10", "-e", path("events")}).exitCode, 0);
    const Result decoded = sniff({"--tsv", "-r", "-"}, line.out);
    EXPECT_EQ(withoutText(decoded.out), lines(readFile(path("events"))));
}

// A stream without end, or binary bytes on a terminal, is refused as a usage error; -o -
// sends the stream to the terminal on purpose.
TEST_F(ToolsTest, SimulatorRefusesAnEndlessStreamAndATerminal) {
    EXPECT_EQ(sim({"--duration", "0"}).exitCode, 2);
    EXPECT_EQ(sim({"--duration", "-5"}).exitCode, 2);

    pseudo_terminal::PseudoTerminal terminal;
    for (const QStringList& output : {QStringList{}, QStringList{"-o", "-"}}) {
        QProcess process;
        process.setStandardOutputFile(QString::fromStdString(terminal.slavePath()));
        process.start(QStringLiteral(VELORA_SIM), QStringList{"--bytes", "10"} + output);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), output.isEmpty() ? 2 : 0) << output.join(' ').toStdString();
    }
}

TEST_F(ToolsTest, LiveThroughAPseudoTerminalRecordedAndReplayed) {
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM),
               {"--pty", "--seed", "11", "--duration", "3", "--command-rate", "0.05",
                "--noise-rate", "0.02", "-e", path("events")});
    ASSERT_TRUE(line.waitForReadyRead(10000));
    const QString pty = QString::fromUtf8(line.readLine().trimmed());
    ASSERT_TRUE(pty.startsWith("/dev/")) << pty.toStdString();

    // The line ends when the simulator closes the terminal: a converter pulled out.
    const Result live = sniff({"--tsv", "--record", path("record"), pty});
    ASSERT_TRUE(line.waitForFinished(30000));
    EXPECT_EQ(line.exitCode(), 0);
    EXPECT_EQ(live.exitCode, 3);
    EXPECT_EQ(live.err, "Нет связи с преобразователем USB-RS485.\n");
    const Lines expected = lines(readFile(path("events")));
    EXPECT_GT(expected.size(), 1500u);
    EXPECT_EQ(withoutText(live.out), expected);

    const Result replayed = sniff({"--tsv", "--replay", path("record")});
    EXPECT_EQ(replayed.exitCode, 0);
    EXPECT_EQ(replayed.out, live.out);
}

// What the far side of the pseudo-terminal receives, until `count` bytes came or the
// line stayed silent for five seconds.
QByteArray receive(const pseudo_terminal::PseudoTerminal& port, int count) {
    QByteArray bytes;
    char buffer[4096];
    while (bytes.size() < count) {
        pollfd p{port.masterFd(), POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0 || !(p.revents & POLLIN)) {
            break;
        }
        const ssize_t n = ::read(port.masterFd(), buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, static_cast<int>(n));
    }
    return bytes;
}

TEST_F(ToolsTest, SerialPortCarriesTheSameStream) {
    ASSERT_EQ(sim({"--seed", "4", "--bytes", "1500", "-o", path("line")}).exitCode, 0);
    const QByteArray expected = readFile(path("line"));

    // The port is the far side of a pseudo-terminal; the test reads what was transmitted.
    pseudo_terminal::PseudoTerminal port;
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM),
               {"--seed", "4", "--bytes", "1500", QString::fromStdString(port.slavePath())});
    ASSERT_TRUE(line.waitForStarted());
    EXPECT_EQ(receive(port, expected.size()), expected);
    ASSERT_TRUE(line.waitForFinished(30000));
    EXPECT_EQ(line.exitCode(), 0) << line.readAllStandardError().toStdString();
}

TEST_F(ToolsTest, InterruptEndsListeningCleanly) {
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM), {"--pty", "--seed", "3", "-e", path("events")});
    ASSERT_TRUE(line.waitForReadyRead(10000));
    const QString pty = QString::fromUtf8(line.readLine().trimmed());

    QProcess listener;
    listener.start(QStringLiteral(VELORA_SNIFF),
                   {"--stats", "--timestamps", "--write", path("capture"), pty});
    ASSERT_TRUE(listener.waitForReadyRead(10000));
    ::kill(static_cast<pid_t>(listener.processId()), SIGINT);
    ASSERT_TRUE(listener.waitForFinished(10000));
    EXPECT_EQ(listener.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(listener.exitCode(), 0);
    const QByteArray out = listener.readAllStandardOutput();
    EXPECT_TRUE(out.contains("Опрос"));
    EXPECT_TRUE(out.contains("Опрошены без ответа: "));
    // A pseudo-terminal keeps no error counts: the table says so instead of zeros.
    EXPECT_TRUE(out.contains("\nЗагрузка линии: "));
    EXPECT_TRUE(out.contains("\nСчётчики ошибок преобразователь не ведёт.\n"));
    // The capture is closed whole: it replays without complaint.
    EXPECT_EQ(sniff({"-r", path("capture")}).exitCode, 0);
    EXPECT_TRUE(QRegExp("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d > .*")
                    .exactMatch(QString::fromStdString(lines(out).front())));

    // SIGTERM ends the simulator cleanly too, with a complete event list.
    line.terminate();
    ASSERT_TRUE(line.waitForFinished(10000));
    EXPECT_EQ(line.exitCode(), 0);
    EXPECT_TRUE(readFile(path("events")).endsWith('\n'));
}

TEST_F(ToolsTest, FiltersFollowTheFilterPanelRules) {
    ASSERT_EQ(sim({"--seed", "8", "--bytes", "20000", "-n", "0.05", "-k", "0.05", "-o",
                   path("line"), "-e", path("events")})
                  .exitCode,
              0);
    const Lines all = lines(readFile(path("events")));
    const auto expect = [&](const QStringList& filter, const std::function<bool(int, int)>& shown) {
        Lines expected;
        for (const std::string& event : all) {
            const QList<QByteArray> fields = QByteArray::fromStdString(event).split('\t');
            if (shown(fields[0].toInt(), fields[1].toInt())) {
                expected.push_back(event);
            }
        }
        EXPECT_FALSE(expected.empty());
        const Result decoded = sniff(QStringList{"--tsv", "-r", path("line")} + filter);
        EXPECT_EQ(withoutText(decoded.out), expected) << filter.join(' ').toStdString();
    };
    expect({"--types", "3,4", "--addresses", "2,5"}, [](int type, int address) {
        return type >= 3 && type <= 4 && (address == 2 || address == 5);
    });
    // Trash has no address: the address filter never hides it.
    expect({"-t", "1,5-7", "-a", "3"}, [](int type, int address) {
        return type == 7 || ((type == 1 || type >= 5) && address == 3);
    });
    expect({"-t", "2"}, [](int type, int) { return type == 2; });
}

TEST_F(ToolsTest, TextLinesAndStatisticsOfAKnownStream) {
    TrafficGenerator traffic;
    ASSERT_TRUE(traffic.shortAnswer(1, 0x40));
    ASSERT_TRUE(traffic.pollRun(2, 2));
    ASSERT_TRUE(traffic.longAnswer(4, 0x43, {0x01, 0x09, 0x0C, 0, 0, 0}, true));
    ASSERT_TRUE(traffic.command(1, {0, 0x11, 0, 0, 0}, true));
    traffic.noise({0x00, 0x80, 0x00});
    ASSERT_TRUE(traffic.shortAnswer(1, 0x48));
    ASSERT_TRUE(traffic.poll(2));
    ASSERT_TRUE(traffic.poll(3));
    ASSERT_TRUE(traffic.shortAnswer(4, 0x40));
    ASSERT_TRUE(traffic.poll(9));
    traffic.noise({0x80});
    writeFile(path("line"), traffic.bytes());

    const QByteArray table = "Адрес    Опросы  Без данных   С данными   Команды  Подтверждения  "
                             "Пропуски      Присутствие\n"
                             "    1         2           2           0         1              1     "
                             "    0         отвечает\n"
                             "    2         2           0           0         0              0     "
                             "    2           молчит\n"
                             "    3         2           0           0         0              0     "
                             "    2           молчит\n"
                             "    4         2           1           1         0              1     "
                             "    0         отвечает\n"
                             "Опрошены без ответа: 2-3\n"
                             "Пропали: нет\n"
                             "Мусорные байты: 5\n"
                             "Кадров: 17, отвечено опросов: 50.0 %\n"
                             "Время кадров: сырая запись его не хранит.\n";
    const Result text = sniff({"--stats", "-r", path("line"), "--raw"});
    EXPECT_EQ(text.exitCode, 0);
    const Lines out = lines(text.out);
    ASSERT_EQ(out.size(), 27u) << text.out.toStdString();
    EXPECT_EQ(out[0], ">   1  Опрос  [01]");
    EXPECT_EQ(out[1], "<   1  Ответ: нет данных  [40]");
    EXPECT_EQ(out[5], "<   4  Ответ: бит OK; шлейф 1 - норма; шлейф 2 - пожар; л.с. 3 - норма; "
                      "л.с. 4 - норма.  [43 04 01 09 0C 00 00 00 9F 6E]");
    EXPECT_EQ(out[7], ">   1  Команда: сброс; включить шлейф 1.  [81 00 11 00 00 00 1B 36]");
    EXPECT_EQ(out[8], "<   1  Подтверждение  [50]");
    EXPECT_EQ(out[9], "       Байты: 00 80 00  [00 80 00]");
    EXPECT_EQ(out[16], "       Байты: 09 80  [09 80]") << "the unanswered poll and the noise";
    EXPECT_TRUE(text.out.endsWith(table));

    // In TSV the table goes to standard error; standard output has the messages only.
    const Result tsv = sniff({"--stats", "--tsv", "-r", path("line")});
    const Lines tsvTable = lines(tsv.err);
    ASSERT_EQ(tsvTable.size(), 5u) << tsv.err.toStdString();
    EXPECT_EQ(tsvTable[0].substr(0, 66),
              "address\tpolls\tshort_answers\tlong_answers\tcommands\tmissed\tpresence\t");
    EXPECT_EQ(tsvTable[2].rfind("2\t2\t0\t0\t0\t2\tsilent\t", 0), 0u) << tsvTable[2];
    EXPECT_EQ(lines(tsv.out).size(), 17u);
    EXPECT_EQ(lines(tsv.out)[0], "1\t1\tОпрос\t01");
    EXPECT_EQ(lines(tsv.out)[16], "7\t0\tБайты: 09 80\t09 80");
}

// Device 2 of a simulated line stops answering after 40 polls: the device table names it
// lost and device 4 silent, its counts are the simulator's, the alert carries the time of
// the third poll left unanswered, and the configuration comparison and the report agree.
TEST_F(ToolsTest, DeviceTableAlertsAndReportOfASimulatedLine) {
    ASSERT_EQ(
        sim({"--devices", "1-3,5", "--last-address", "5", "--stop-after", "2:40", "-c", "0", "-k",
             "0.02", "--seed", "9", "--bytes", "20000", "-o", path("line"), "-e", path("events")})
            .exitCode,
        0);
    ASSERT_EQ(sniff({"-r", path("line"), "--write", path("line.pcap"), "--stats-only"}).exitCode,
              0);
    const QByteArray config = R"(<?xml version="1.0" encoding="UTF-8"?>
<configuration deviceId="Velora-TQ4" version="2"><pultType>0</pultType>
<section address="0" group="1">
<device address="1" zone="1"/>
<device address="2" zone="1"><deviceNames><deviceName>Склад</deviceName></deviceNames></device>
<device address="7" zone="1"/>
</section></configuration>)";
    writeFile(path("panel.xml"), {config.begin(), config.end()});
    const Result result =
        sniff({"-r", path("line.pcap"), "--stats-only", "--tsv", "--alerts", "--config",
               path("panel.xml"), "--report", path("line.pdf"), "--report-changes"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();

    // Counts per address and type from the simulator's events (type, address, bytes).
    std::map<int, std::map<int, int>> counts;
    for (const std::string& event : lines(readFile(path("events")))) {
        const QList<QByteArray> fields = QByteArray::fromStdString(event).split('\t');
        counts[fields[1].toInt()][fields[0].toInt()] += 1;
    }
    const Lines table = lines(result.out);
    ASSERT_EQ(table.size(), 7u) << result.out.toStdString();
    const char* const expected[] = {"answering\tanswering",      "lost\tsilent",
                                    "answering\tnot_configured", "silent\t",
                                    "answering\tnot_configured", "not_polled\tnever_polled"};
    for (std::size_t row = 1; row < table.size(); ++row) {
        const QList<QByteArray> f = QByteArray::fromStdString(table[row]).split('\t');
        const int a = f[0].toInt();
        SCOPED_TRACE(table[row]);
        EXPECT_EQ(a, row < 6 ? static_cast<int>(row) : 7);
        EXPECT_EQ(f[1].toInt(), counts[a][mtQuery]);
        EXPECT_EQ(f[2].toInt(), counts[a][mtShortAnswer]);
        EXPECT_EQ(f[3].toInt(), counts[a][mtLongAnswer]);
        EXPECT_EQ(f[4].toInt(), counts[a][mtCommand]);
        EXPECT_EQ(f[5].toInt(), f[1].toInt() - f[2].toInt() - f[3].toInt()) << "missed";
        EXPECT_EQ(f[6] + '\t' + f[16], QByteArray(expected[row - 1]));
    }
    EXPECT_EQ(counts[2][mtShortAnswer] + counts[2][mtLongAnswer], 40);

    // The third poll of device 2 after its last answer, as the log shows its time.
    const Lines log = lines(sniff({"-r", path("line.pcap"), "--tsv", "-T", "-a", "2"}).out);
    std::string lostAt;
    int unanswered = 0;
    for (const std::string& line : log) {
        const QList<QByteArray> f = QByteArray::fromStdString(line).split('\t');
        unanswered = f[0] == "1" ? unanswered + 1 : 0;
        if (unanswered == 3 && lostAt.empty()) {
            lostAt = f[4].toStdString();
        }
    }
    ASSERT_FALSE(lostAt.empty());
    EXPECT_NE(result.err.indexOf(QByteArray::fromStdString(lostAt + " прибор 2: пропал\n")), -1)
        << lostAt << "\n"
        << result.err.toStdString();

    QProcess pdf;
    pdf.start(QStringLiteral("pdftotext"), {path("line.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(pdf.waitForFinished(10000));
    const QString report = QString::fromUtf8(pdf.readAllStandardOutput());
    // The name as typed, not in the display's form ("Cклaд" with Latin letters).
    for (const char* text :
         {"Отчёт о линии «Velora»", "2 (Склад)", "прибор 2: пропал", "Из конфигурации не отвечают",
          "2: 2 (Склад), 7", "Отвечают, но нет в конфигурации"}) {
        EXPECT_TRUE(report.contains(QString::fromUtf8(text))) << text;
    }
}

// Six minutes of a line where devices often change state: a summary page, then the device
// table and the changes per device, in a few pages.
TEST_F(ToolsTest, ReportOfALivelyLineLeadsWithItsSummary) {
    ASSERT_EQ(sim({"--devices", "1-6,9,12,17,25", "--last-address", "30", "--change-rate", "0.05",
                   "--command-rate", "0.02", "--stop-after", "9:500", "--seed", "3", "--duration",
                   "360", "-o", path("line")})
                  .exitCode,
              0);
    ASSERT_EQ(sniff({"-r", path("line"), "--stats-only", "--report", path("line.pdf")}).exitCode,
              0);
    const auto run = [this](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString info = run(QStringLiteral("pdfinfo"), {path("line.pdf")});
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    ASSERT_TRUE(pages.hasMatch()) << info.toStdString();
    EXPECT_LE(pages.captured(1).toInt(), 4);
    const QString first =
        run(QStringLiteral("pdftotext"), {"-f", "1", "-l", "1", path("line.pdf"), "-"});
    for (const char* text :
         {"Длительность", "0 ч 6 мин 0 с", "Отвечают", "Молчат", "Пропали", "1: 9", "В тревоге",
          "В неисправности", "Диагностика", "Неполадок линии не найдено."}) {
        EXPECT_TRUE(first.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_FALSE(first.contains(QString::fromUtf8("Последний ответ"))) << "the table comes next";
}

// A walk rehearsed on the simulator: the checks set off and brought back pass, the one cut
// off by the end of the line has its alarm only, the rest are untested; alarms of an
// address the configuration does not list stay apart. A configuration with errors is
// refused with the check's diagnostics.
TEST_F(ToolsTest, WalkTestOfASimulatedWalk) {
    ASSERT_EQ(sim({"--devices", "1-5", "-c", "0", "-k", "0", "--seed", "1", "--duration", "18",
                   "--walk", "2:loop1,3:tamper,4:loop2,3:line3", "-o", path("line")})
                  .exitCode,
              0);
    const QByteArray config = R"(<?xml version="1.0" encoding="UTF-8"?>
<configuration deviceId="Velora-TQ4" version="2"><pultType>0</pultType>
<section address="0" group="1">
<device address="2" zone="1"><deviceNames><loop1Name>Коридор</loop1Name></deviceNames></device>
<device address="3" zone="1"/>
</section></configuration>)";
    writeFile(path("panel.xml"), {config.begin(), config.end()});
    const Result result = sniff({"-r", path("line"), "--tsv", "--stats-only", "--walk-test",
                                 "--config", path("panel.xml"), "--report", path("walk.pdf")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    std::map<std::string, std::string> results;
    for (const std::string& line : lines(result.out.mid(result.out.indexOf("address\tcheck")))) {
        const QList<QByteArray> f = QByteArray::fromStdString(line).split('\t');
        ASSERT_EQ(f.size(), 6) << line;
        EXPECT_EQ(f[3].isEmpty(), f[5] == "not_tested") << line;
        results[(f[0] + ' ' + f[1] + ' ' + f[2]).toStdString()] = f[5].toStdString();
    }
    EXPECT_EQ(results.size(), 11u); // the header and two devices of five checks
    EXPECT_EQ(results["2 loop1 Коридор"], "passed");
    EXPECT_EQ(results["3 tamper вскрытие корпуса"], "passed");
    EXPECT_EQ(results["3 line3 л.с. 3"], "alarm_only");
    EXPECT_EQ(results["2 loop2 шлейф 2"], "not_tested");
    QProcess pdf;
    pdf.start(QStringLiteral("pdftotext"), {path("walk.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(pdf.waitForFinished(10000));
    const QString report = QString::fromUtf8(pdf.readAllStandardOutput());
    for (const char* text : {"Пульт", "Проверено 2 из 10.", "Коридор", "только тревога",
                             "Тревоги на адресах не из конфигурации", "Приёмка линии", "Сдал:"}) {
        EXPECT_TRUE(report.contains(QString::fromUtf8(text))) << text;
    }

    const QByteArray broken = QByteArray(config).replace("address=\"3\"", "address=\"2\"");
    writeFile(path("broken.xml"), {broken.begin(), broken.end()});
    const Result refused =
        sniff({"-r", path("line"), "-S", "--walk-test", "--config", path("broken.xml")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(path("broken.xml").toUtf8() + ":5:"))
        << refused.err.toStdString();
}

TEST_F(ToolsTest, ExitCodes) {
    EXPECT_EQ(sniff({}).exitCode, 2);
    EXPECT_EQ(sniff({"--bogus", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"ttyS0", "ttyS1"}).exitCode, 2);
    EXPECT_EQ(sniff({"-r", "x", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"-r", "x", "--record", "y"}).exitCode, 2);
    EXPECT_EQ(sniff({"--time-format", "local", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"--ring", "3:0", "--write", "x", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"--ring", "3:1", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"--types", "0-3", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"--addresses", "1,", "ttyS0"}).exitCode, 2);
    EXPECT_EQ(sniff({"--types"}).exitCode, 2);
    EXPECT_EQ(sniff({"--walk-test", "ttyS0"}).exitCode, 2);

    const Result missingPort = sniff({path("no-such-port")});
    EXPECT_EQ(missingPort.exitCode, 1);
    EXPECT_TRUE(missingPort.err.startsWith("Ошибка при открытии порта " +
                                           path("no-such-port").toUtf8() + ": "))
        << missingPort.err.toStdString();
    EXPECT_GT(missingPort.err.size(), 60);
    EXPECT_EQ(sniff({"-r", path("no-such-file")}).exitCode, 1);

    const Result help = sniff({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--replay"));

    EXPECT_EQ(sim({"--seed", "x"}).exitCode, 2);
    EXPECT_EQ(sim({"--noise-rate", "1.5"}).exitCode, 2);
    EXPECT_EQ(sim({"--pty", "-o", "x"}).exitCode, 2);
    EXPECT_EQ(sim({"-d", "30", "-l", "20"}).exitCode, 2);
    EXPECT_EQ(sim({"ttyS0", "ttyS1"}).exitCode, 2);
    EXPECT_EQ(sim({"--pty", "ttyS0"}).exitCode, 2);
    for (const QStringList& fault : {QStringList{"--slow", "3"},
                                     {"--slow", "3:-1"},
                                     {"--flaky", "4:1.5"},
                                     {"--line-speed", "100"},
                                     {"--duplicate", "4", "-d", "1-3"},
                                     {"--swap-ab", "-e", "x"},
                                     {"--flaky", "4:0.5", "-r", "x"}}) {
        EXPECT_EQ(sim(fault + QStringList{"--bytes", "10"}).exitCode, 2)
            << fault.join(' ').toStdString();
    }
    const Result missingSimPort = sim({path("no-such-port"), "--bytes", "10"});
    EXPECT_EQ(missingSimPort.exitCode, 1);
    EXPECT_TRUE(missingSimPort.err.contains("Ошибка при открытии порта "));
    EXPECT_EQ(sim({"--help"}).exitCode, 0);
}

// The sample line is reproduced by its command, and decodes to the simulator's events.
TEST_F(ToolsTest, SampleLine) {
    const QString sample = QDir(QStringLiteral(VELORA_SAMPLES)).filePath("velora-line.bin");
    ASSERT_EQ(sim({"-d", "1-6,9,12,17,25", "-l", "30", "-c", "0.05", "-k", "0.02", "-n", "0.005",
                   "-s", "2026", "-t", "60", "-o", path("line"), "-e", path("events")})
                  .exitCode,
              0);
    EXPECT_EQ(readFile(path("line")), readFile(sample));
    const Result decoded = sniff({"--tsv", "-r", sample});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_EQ(withoutText(decoded.out), lines(readFile(path("events"))));
}
