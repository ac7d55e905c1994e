// Faults on the simulated line: the bit-level receiver on exact patterns, and the trace
// each fault of velora-sim leaves in what velora-sniff decodes and diagnoses.
#include "ToolRunner.h"

#include <UartLine.h>

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

using velora_sim::UartLine;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Drive {
    std::int64_t start;
    Bytes bytes;
    std::uint32_t baud = 19200;
};

struct UartCase {
    const char* what;
    bool inverted;
    std::vector<Drive> drives;
    Bytes read;
    std::vector<bool> framingErrors;
};

} // namespace

TEST(UartLine, ReadsTheBitsOnTheLine) {
    Bytes all(256);
    for (int i = 0; i < 256; ++i) {
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    const UartCase cases[] = {
        {"same speed", false, {{0, all}}, all, std::vector<bool>(256, false)},
        // Idle reads low; the first falling edge is the end of the inverted start bit.
        {"inverted FF", true, {{0, {0xFF}}}, {0x80}, {true}},
        {"inverted 00", true, {{0, {0x00}}}, {0x00}, {true}},
        // Half the speed: the long start bit covers data bit 0 too, the parity bit starts
        // a second character.
        {"9600 baud", false, {{0, {0xFF}, 9600}}, {0xFE, 0xFE}, {false, false}},
        {"low wins", false, {{0, {0x0F}}, {0, {0xF0}}}, {0x00}, {false}},
        // A second driver a bit late: its start bit clears bit 0, its parity the stop bit.
        {"a bit apart", false, {{0, {0xFF}}, {16, {0xFF}}}, {0xFE}, {true}},
    };
    for (const UartCase& c : cases) {
        UartLine line(c.inverted);
        std::int64_t end = 0;
        for (const Drive& d : c.drives) {
            end = std::max(end, line.drive(d.start, d.bytes, d.baud));
        }
        std::vector<UartLine::Character> read;
        line.read(end + 1000, read);
        Bytes bytes;
        std::vector<bool> errors;
        for (const auto& character : read) {
            bytes.push_back(character.byte);
            errors.push_back(character.framingError);
        }
        EXPECT_EQ(bytes, c.read) << c.what;
        EXPECT_EQ(errors, c.framingErrors) << c.what;
    }
}

namespace {

// What velora-sniff decoded of a stream: frames by type and address, trash bytes, and
// how long after its poll each device answered.
struct Trace {
    std::map<std::pair<int, int>, int> frames;
    int bytes = 0;
    int trashBytes = 0;
    std::map<int, std::vector<double>> answerMs;
    // The lines of --diagnose --tsv without their header.
    std::vector<std::string> diagnoses;

    // Answers per round of polls: a garbled answer often takes its poll with it.
    double answered(int address) const {
        int rounds = 1;
        for (const auto& [key, count] : frames) {
            rounds = std::max(rounds, key.first == 1 ? count : 0);
        }
        return static_cast<double>(value(2, address) + value(3, address)) / rounds;
    }
    double trashShare() const { return static_cast<double>(trashBytes) / std::max(1, bytes); }
    double medianMs(int address) const {
        auto times = answerMs.at(address);
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        return times[times.size() / 2];
    }

private:
    int value(int type, int address) const {
        const auto it = frames.find({type, address});
        return it == frames.end() ? 0 : it->second;
    }
};

// Lines of velora-sniff --tsv, with -T --time-format relative from a live line, and its
// diagnoses.
Trace trace(const Result& sniffed) {
    Trace t;
    for (const std::string& line : lines(sniffed.err)) {
        const auto fields = QByteArray::fromStdString(line).split('\t');
        if (fields.size() == 6 && fields[0] != "kind") {
            t.diagnoses.push_back((fields[0] + ' ' + fields[1]).toStdString());
        }
    }
    const QByteArray& tsv = sniffed.out;
    std::map<int, double> polled;
    for (const std::string& line : lines(tsv)) {
        const QList<QByteArray> f = QByteArray::fromStdString(line).split('\t');
        const int type = f.value(0).toInt();
        const int address = f.value(1).toInt();
        const int count = static_cast<int>(f.value(3).split(' ').size());
        const double seconds = f.value(4).toDouble();
        ++t.frames[{type, address}];
        t.bytes += count;
        t.trashBytes += type == 7 ? count : 0;
        if (type == 1) {
            polled[address] = seconds;
        } else if ((type == 2 || type == 3) && polled.count(address)) {
            t.answerMs[address].push_back(1000 * (seconds - polled[address]));
        }
    }
    return t;
}

const QStringList kLine{"--seed", "3", "--devices", "1-9", "--last-address", "12"};
const QStringList kSniff{"--tsv", "--diagnose"};

// Late answers show only in the line's time: through a pseudo-terminal.
Trace live(const QStringList& fault) {
    QProcess line;
    line.start(QStringLiteral(VELORA_SIM), kLine + fault + QStringList{"--pty", "-t", "2"});
    EXPECT_TRUE(line.waitForReadyRead(10000));
    const QString pty = QString::fromUtf8(line.readLine().trimmed());
    const Result decoded = sniff(kSniff + QStringList{"-T", "--time-format", "relative", pty});
    EXPECT_TRUE(line.waitForFinished(30000));
    return trace(decoded);
}

struct FaultCase {
    QStringList fault;
    bool live;
    std::vector<std::string> diagnoses;
    std::function<void(const Trace&)> expect;
};

} // namespace

TEST_F(ToolsTest, EachLineFaultLeavesItsTrace) {
    const auto othersAnswer = [](const Trace& t, int except, double share = 0.95) {
        for (int a = 1; a <= 9; ++a) {
            if (a != except) {
                EXPECT_GT(t.answered(a), share) << a;
            }
        }
    };
    const auto mostlyTrash = [](const Trace& t) { EXPECT_GT(t.trashShare(), 0.8); };
    const FaultCase cases[] = {
        {{},
         false,
         {},
         [&](const Trace& t) {
             othersAnswer(t, 0);
             EXPECT_LT(t.trashShare(), 0.02);
         }},
        {{"--duplicate", "5"},
         false,
         {"duplicate_address 5"},
         [&](const Trace& t) {
             // The parser finds its way back after the garbled answer, mostly before the
             // next poll.
             othersAnswer(t, 5, 0.8);
             EXPECT_LT(t.answered(5), 0.7);
             EXPECT_GT(t.trashShare(), 0.04);
         }},
        {{"--line-speed", "9600"}, false, {"line_signal 0"}, mostlyTrash},
        {{"--line-speed", "38400"}, false, {"line_signal 0"}, mostlyTrash},
        {{"--swap-ab"}, false, {"line_signal 0"}, mostlyTrash},
        {{"--flaky", "4:0.5"},
         false,
         {"intermittent 4"},
         [&](const Trace& t) {
             othersAnswer(t, 4);
             EXPECT_NEAR(t.answered(4), 0.5, 0.1);
         }},
        {{"--slow", "3:20"},
         true,
         {"slow_answer 3"},
         [&](const Trace& t) {
             othersAnswer(t, 0);
             EXPECT_NEAR(t.medianMs(3), 20.6, 5);
             EXPECT_LT(t.medianMs(2), 5);
         }},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.fault.join(' ').toStdString());
        Trace t;
        if (c.live) {
            t = live(c.fault);
        } else {
            ASSERT_EQ(sim(kLine + c.fault + QStringList{"-t", "10", "-o", path("line")}).exitCode,
                      0);
            t = trace(sniff(kSniff + QStringList{"-r", path("line")}));
        }
        c.expect(t);
        EXPECT_EQ(t.diagnoses, c.diagnoses);
    }
}
