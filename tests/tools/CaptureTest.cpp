// Captures of velora-sniff: written live and from recordings, read back by velora-sniff,
// libpcap and capinfos; damaged and foreign files; the capture ring.
#include "ToolRunner.h"

#include <test_support/PseudoTerminal.h>

#include <QDir>
#include <QRegularExpression>
#include <QThread>

#include <pcap/pcap.h>

#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Record {
    std::int64_t ns;
    Bytes bytes; // header and frame
};

std::vector<Record> records(const QString& path) {
    char error[PCAP_ERRBUF_SIZE];
    pcap_t* handle = pcap_open_offline_with_tstamp_precision(path.toLocal8Bit().constData(),
                                                             PCAP_TSTAMP_PRECISION_NANO, error);
    EXPECT_NE(handle, nullptr) << error;
    std::vector<Record> all;
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    while (handle && pcap_next_ex(handle, &header, &data) == 1) {
        all.push_back({header->ts.tv_sec * 1'000'000'000LL + header->ts.tv_usec,
                       Bytes(data, data + header->caplen)});
    }
    if (handle) {
        EXPECT_EQ(pcap_datalink(handle), 147);
        pcap_close(handle);
    }
    return all;
}

// The frames' bytes of a capture, joined: the bytes of the line.
QByteArray lineBytes(const std::vector<Record>& all) {
    QByteArray bytes;
    for (const Record& r : all) {
        bytes.append(reinterpret_cast<const char*>(r.bytes.data()) + 2,
                     static_cast<int>(r.bytes.size()) - 2);
    }
    return bytes;
}

// A pcap file of the given link type with the given records (header and frame bytes).
QByteArray pcapFile(std::uint32_t linkType, const std::vector<Bytes>& frames) {
    QByteArray file;
    const auto put = [&file](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            file.append(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    put(0xA1B2C3D4, 4);
    put(2, 2);
    put(4, 2);
    put(0, 4);
    put(0, 4);
    put(65535, 4);
    put(linkType, 4);
    for (const Bytes& frame : frames) {
        put(1'800'000'000, 4);
        put(0, 4);
        put(static_cast<std::uint32_t>(frame.size()), 4);
        put(static_cast<std::uint32_t>(frame.size()), 4);
        file.append(reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size()));
    }
    return file;
}

// Bytes of another source: hardly any of them fit a frame.
QByteArray noise(int size) {
    std::mt19937 rng(1);
    QByteArray bytes;
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>(rng() & 0xFF));
    }
    return bytes;
}

// Polls answered without data: bytes of the line, but not one frame with a checksum.
QByteArray pollsAndShortAnswers() {
    velora_traffic::TrafficGenerator traffic;
    for (int round = 0; round < 50; ++round) {
        traffic.pollRun(1, 4);
        traffic.shortAnswer(5, 0x40);
    }
    return QByteArray(reinterpret_cast<const char*>(traffic.bytes().data()),
                      static_cast<int>(traffic.bytes().size()));
}

void save(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class CaptureTest : public ToolsTest {};

} // namespace

// Live from a pseudo-terminal into a capture and a raw recording at once: the capture
// replays to the live lines with their times, its records hold every byte of the line,
// and capinfos counts the same records.
TEST_F(CaptureTest, LiveCaptureReplaysWithItsTimes) {
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM), {"--pty", "--seed", "12", "--duration", "3",
                                            "--command-rate", "0.05", "--noise-rate", "0.02"});
    ASSERT_TRUE(line.waitForReadyRead(10000));
    const QString pty = QString::fromUtf8(line.readLine().trimmed());
    const Result live = sniff({"--tsv", "--timestamps", "--time-format", "iso", "--types", "3-7",
                               "--record", path("raw"), "--write", path("live.pcap"), pty});
    ASSERT_TRUE(line.waitForFinished(30000));
    EXPECT_EQ(live.exitCode, 3);

    const std::vector<Record> captured = records(path("live.pcap"));
    EXPECT_EQ(lineBytes(captured), readFile(path("raw")));
    for (std::size_t i = 1; i < captured.size(); ++i) {
        ASSERT_LE(captured[i - 1].ns, captured[i].ns) << "record " << i;
    }
    const Result replayed = sniff({"--tsv", "--timestamps", "--time-format", "iso", "--types",
                                   "3-7", "--replay", path("live.pcap")});
    EXPECT_EQ(replayed.exitCode, 0) << replayed.err.toStdString();
    EXPECT_EQ(replayed.out, live.out);
    EXPECT_GT(lines(live.out).size(), 100u);

    // pcapng, as Wireshark saves by default, replays the same.
    ASSERT_EQ(
        run(QStringLiteral("editcap"), {"-F", "pcapng", path("live.pcap"), path("live.pcapng")})
            .exitCode,
        0);
    EXPECT_EQ(sniff({"--tsv", "--timestamps", "--time-format", "iso", "--types", "3-7", "-r",
                     path("live.pcapng")})
                  .out,
              live.out);

    const Result info = run(QStringLiteral("capinfos"), {"-c", "-M", path("live.pcap")});
    EXPECT_TRUE(info.out.contains("Number of packets:   " +
                                  QByteArray::number(static_cast<int>(captured.size()))))
        << info.out.toStdString();
}

// A raw recording converted to a capture (through a filter, which hides nothing from the
// capture) replays to the same text; its times follow the line's pace.
TEST_F(CaptureTest, RawRecordingConvertsToACapture) {
    ASSERT_EQ(sim({"--seed", "6", "--bytes", "20000", "-n", "0.02", "-o", path("raw")}).exitCode,
              0);
    EXPECT_EQ(sniff({"--types", "3", "--addresses", "5", "-r", path("raw"), "--write",
                     path("converted.pcap")})
                  .exitCode,
              0);
    const std::vector<Record> converted = records(path("converted.pcap"));
    EXPECT_EQ(lineBytes(converted), readFile(path("raw")));
    ASSERT_GT(converted.size(), 2u);
    EXPECT_GT(converted.back().ns - converted.front().ns, 10'000'000'000LL);
    EXPECT_EQ(sniff({"--tsv", "-r", path("converted.pcap")}).out,
              sniff({"--tsv", "-r", path("raw")}).out);

    // Through standard output and standard input, as in a pipe to tshark.
    const Result piped = sniff({"-r", path("raw"), "--write", "-"});
    EXPECT_EQ(piped.out, readFile(path("converted.pcap")).mid(0, piped.out.size()));
    EXPECT_EQ(sniff({"--tsv", "-r", "-"}, piped.out).out, sniff({"--tsv", "-r", path("raw")}).out);

    const Result noTimes = sniff({"--timestamps", "-r", path("raw")});
    EXPECT_EQ(noTimes.exitCode, 2);
    EXPECT_TRUE(noTimes.err.contains("нет времени")) << noTimes.err.toStdString();
}

// A line that ends inside a frame (a run of polls cut short, half a long answer), at the end
// of a recording and of a live port that goes away: the capture keeps the bytes still
// pending, so its records joined are the line's bytes and it replays as they do.
TEST_F(CaptureTest, CaptureEndsWithTheLinesLastBytes) {
    velora_traffic::TrafficGenerator longAnswer;
    ASSERT_TRUE(longAnswer.longAnswer(0x23,
                                      velora_traffic::TrafficGenerator::longAnswerHeaders().front(),
                                      {1, 2, 3, 4, 5, 6}, true));
    const Bytes start{0x00, 0x81, 0x05, 0x40};
    for (const Bytes& end : {Bytes{0x05, 0x06, 0x07},
                             Bytes(longAnswer.bytes().begin(), longAnswer.bytes().begin() + 10)}) {
        Bytes line = start;
        line.insert(line.end(), end.begin(), end.end());
        writeFile(path("raw"), line);
        const QByteArray rawReplay = sniff({"--tsv", "-r", path("raw")}).out;
        EXPECT_EQ(sniff({"-r", path("raw"), "--write", path("replayed.pcap")}).exitCode, 0);

        pseudo_terminal::PseudoTerminal port;
        QProcess live;
        live.start(QStringLiteral(VELORA_SNIFF),
                   {"--write", path("live.pcap"), QString::fromStdString(port.slavePath())});
        ASSERT_TRUE(live.waitForStarted(10000));
        QThread::msleep(1000);
        port.write(line);
        QThread::msleep(500);
        port.closeMaster();
        ASSERT_TRUE(live.waitForFinished(10000));

        for (const char* capture : {"replayed.pcap", "live.pcap"}) {
            SCOPED_TRACE(capture);
            const Result replayed = sniff({"--tsv", "-r", path(capture)});
            EXPECT_EQ(replayed.exitCode, 0) << replayed.err.toStdString();
            EXPECT_EQ(replayed.out, rawReplay);
            EXPECT_EQ(lineBytes(records(path(capture))), readFile(path("raw")));
        }
    }
}

// A capture cut anywhere in its last records decodes up to the cut and ends with exit
// code 4 and the problem named; a cut between records is a whole capture.
TEST_F(CaptureTest, TruncatedCapturesDecodeWhatIsLeft) {
    ASSERT_EQ(sim({"--seed", "9", "--bytes", "3000", "-o", path("raw")}).exitCode, 0);
    ASSERT_EQ(sniff({"-r", path("raw"), "--write", path("whole.pcap")}).exitCode, 0);
    const QByteArray whole = readFile(path("whole.pcap"));
    const std::vector<Record> all = records(path("whole.pcap"));
    const Lines full = lines(sniff({"--tsv", "-r", path("whole.pcap")}).out);
    int boundary = whole.size();
    std::vector<int> boundaries;
    for (auto r = all.rbegin(); r != all.rbegin() + 3; ++r) {
        boundary -= 16 + static_cast<int>(r->bytes.size());
        boundaries.push_back(boundary);
    }
    for (int cut = whole.size() - 1; cut >= boundaries.back(); --cut) {
        save(path("cut.pcap"), whole.left(cut));
        const Result r = sniff({"--tsv", "-r", path("cut.pcap")});
        const bool atBoundary =
            std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end();
        EXPECT_EQ(r.exitCode, atBoundary ? 0 : 4) << "cut at " << cut;
        EXPECT_EQ(r.err.contains("оборвана"), !atBoundary) << r.err.toStdString();
        const Lines got = lines(r.out);
        ASSERT_GE(got.size() + 6, full.size()) << "cut at " << cut;
        EXPECT_TRUE(std::equal(got.begin(), got.end() - 3, full.begin())) << "cut at " << cut;
    }
}

TEST_F(CaptureTest, ForeignAndDamagedFilesAreNamed) {
    const Bytes poll{1, 5, 0x05};
    const struct {
        const char* name;
        QByteArray file;
        int exitCode;
        const char* says;
    } cases[] = {
        {"ethernet", pcapFile(1, {poll}), 1, "EN10MB"},
        {"header", pcapFile(147, {poll, {3, 5, 0x05}}), 4, "не соответствует"},
        {"long", pcapFile(147, {Bytes(20, 0x00)}), 4, "длиннее любого кадра"},
        {"noise", noise(2000), 0, "noise: файл не похож на запись линии «Velora»: "},
        {"text", QByteArray("A README, not a line.\n").repeated(200), 0, "в нём текст"},
        {"polls only", pollsAndShortAnswers(), 0, "нет ни одного кадра с верной"},
    };
    for (const auto& c : cases) {
        save(path(c.name), c.file);
        const Result r = sniff({"-r", path(c.name)});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name;
        EXPECT_TRUE(r.err.contains(c.says)) << c.name << ": " << r.err.toStdString();
    }
    const Result full = sniff({"-r", path("noise"), "--write", "/dev/full"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(full.err.contains("Ошибка записи /dev/full")) << full.err.toStdString();
    const Result directory = sniff({"-r", dir.path()});
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_TRUE(directory.err.contains("каталог")) << directory.err.toStdString();
}

TEST_F(CaptureTest, RingKeepsTheNewestFiles) {
    ASSERT_EQ(sim({"--seed", "2", "--bytes", "400000", "-o", path("raw")}).exitCode, 0);
    ASSERT_EQ(sniff({"-r", path("raw"), "--write", path("ring.pcap"), "--ring", "3:1"}).exitCode,
              0);
    QStringList names = QDir(dir.path()).entryList({"ring_*.pcap"}, QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 3) << names.join(' ').toStdString();
    const QRegularExpression pattern("^ring_(\\d{5})_\\d{14}\\.pcap$");
    QByteArray joined;
    for (const QString& name : names) {
        EXPECT_TRUE(pattern.match(name).hasMatch()) << name.toStdString();
        joined += lineBytes(records(dir.filePath(name)));
    }
    EXPECT_GT(pattern.match(names.front()).captured(1).toInt(), 1);
    EXPECT_TRUE(readFile(path("raw")).endsWith(joined));

    // A second run of the same ring goes on from the first: still three files, numbered on.
    ASSERT_EQ(sniff({"-r", path("raw"), "--write", path("ring.pcap"), "--ring", "3:1"}).exitCode,
              0);
    const QStringList again = QDir(dir.path()).entryList({"ring_*.pcap"}, QDir::Files, QDir::Name);
    ASSERT_EQ(again.size(), 3) << again.join(' ').toStdString();
    EXPECT_GT(pattern.match(again.front()).captured(1).toInt(),
              pattern.match(names.back()).captured(1).toInt());

    // Live, the ring is flushed before its first file exists: that is no failure.
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM), {"--pty", "--seed", "2", "--duration", "30"});
    ASSERT_TRUE(line.waitForReadyRead(10000));
    const QString pty = QString::fromUtf8(line.readLine().trimmed());
    const Result live = sniff(
        {"--duration", "2", "--write", path("live.pcap"), "--ring", "3:1", "--stats-only", pty});
    line.kill();
    line.waitForFinished();
    EXPECT_EQ(live.exitCode, 0) << live.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({"live_*.pcap"}, QDir::Files).size(), 1);
}

// velora-sim plays a capture into a pseudo-terminal with its recorded gaps: listened to,
// it decodes as the capture does, and it takes at least the capture's time span.
TEST_F(CaptureTest, SimulatorReplaysACaptureOnTheBench) {
    ASSERT_EQ(sim({"--seed", "13", "--bytes", "2500", "-o", path("raw")}).exitCode, 0);
    ASSERT_EQ(sniff({"-r", path("raw"), "--write", path("site.pcap")}).exitCode, 0);
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM), {"--pty", "--replay", path("site.pcap")});
    ASSERT_TRUE(line.waitForReadyRead(10000));
    const QString pty = QString::fromUtf8(line.readLine().trimmed());
    const Result live = sniff({"--tsv", "--write", path("bench.pcap"), pty});
    ASSERT_TRUE(line.waitForFinished(30000));
    EXPECT_EQ(line.exitCode(), 0) << line.readAllStandardError().toStdString();
    EXPECT_EQ(live.out, sniff({"--tsv", "-r", path("site.pcap")}).out);

    const std::vector<Record> site = records(path("site.pcap"));
    const std::vector<Record> bench = records(path("bench.pcap"));
    ASSERT_FALSE(bench.empty());
    EXPECT_GE(bench.back().ns - bench.front().ns, (site.back().ns - site.front().ns) * 9 / 10);
}
