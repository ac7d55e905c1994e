#include <ChangeModel.h>
#include <DeviceDock.h>
#include <DeviceMap.h>
#include <DeviceModel.h>
#include <DiagnosisDock.h>
#include <DiagnosisModel.h>
#include <FilterWidget.h>
#include <MainWindow.h>
#include <SessionModel.h>
#include <WalkTestDock.h>
#include <WalkTestModel.h>
#include <test_support/AppDriver.h>

#include <velora_capture/CaptureWriter.h>
#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using velora_decoding::Presence;
using velora_protocol::Frame;
using velora_protocol::Timestamp;

namespace {

constexpr std::int64_t kMs = 1'000'000;

// Round r polls the addresses 1..4, 10 ms apart. Device 1 always answers; device 2 only
// in the first 15 rounds; device 3 reports a fire on its loop 1 in round 5 and its end in
// round 10; device 4 never answers.
void addFrame(std::vector<Frame>& frames, MessageType type, int address,
              const std::vector<std::uint8_t>& bytes, std::int64_t ns) {
    frames.push_back(Frame::of(type, address, bytes,
                               {Timestamp::recorded(ns), Timestamp::recorded(ns + kMs / 2)}));
}

std::vector<Frame> scenario() {
    std::vector<Frame> frames;
    auto add = [&frames](MessageType type, int address, std::vector<std::uint8_t> bytes,
                         std::int64_t ns) { addFrame(frames, type, address, bytes, ns); };
    for (int round = 0; round < 30; ++round) {
        for (int address = 1; address <= 4; ++address) {
            const std::int64_t t = (round * 4 + address) * 10 * kMs;
            add(mtQuery, address, {static_cast<std::uint8_t>(address)}, t);
            const bool report = address == 3 && (round == 5 || round == 10);
            if (report) {
                const std::uint8_t loop1 = round == 5 ? 0x08 : 0x01;
                add(mtLongAnswer, 3, {0x43, 3, loop1, 0x01, 0x0C, 0, 0, 0, 0, 0}, t + 2 * kMs);
            } else if (address == 1 || address == 3 || (address == 2 && round < 15)) {
                add(mtShortAnswer, address, {0x41}, t + 2 * kMs);
            }
        }
    }
    return frames;
}

QString cellText(const DeviceModel& model, int address, int column) {
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, 0).data(DeviceModel::AddressRole).toInt() == address) {
            return model.index(row, column).data().toString();
        }
    }
    return QStringLiteral("(no row)");
}

QString pdfText(const QString& pdf) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.waitForFinished(10000));
    return QString::fromUtf8(text.readAllStandardOutput());
}

const char* const kConfiguration = R"(<?xml version="1.0" encoding="UTF-8"?>
<configuration deviceId="Velora-TQ4" version="2">
    <pultType>0</pultType>
    <section address="0" group="1">
        <device address="1" zone="1"><deviceNames><deviceName>Gate 1</deviceName></deviceNames></device>
        <device address="2" zone="1"><deviceNames><deviceName>Store</deviceName></deviceNames></device>
        <device address="5" zone="1"><deviceNames><deviceName>Котельная</deviceName></deviceNames></device>
    </section>
</configuration>
)";

// Answers with data, 100 ms apart: device 1 sets its loop 1 off and brings it back, device
// 2 only sets it off, device 3 (not configured) sets it off too.
std::vector<Frame> walkFrames() {
    std::vector<Frame> frames;
    std::int64_t t = 0;
    const std::pair<int, bool> answers[] = {{1, false}, {1, true}, {1, false},
                                            {2, false}, {2, true}, {3, true}};
    for (const auto& [address, alarm] : answers) {
        t += 100 * kMs;
        const auto a = static_cast<std::uint8_t>(address);
        addFrame(frames, mtQuery, address, {a}, t);
        std::vector<std::uint8_t> answer = {
            0x43, a, std::uint8_t(alarm ? 0x08 : 0x01), 0x01, 0x0C, 0, 0, 0};
        velora_traffic::appendCrc(answer);
        addFrame(frames, mtLongAnswer, address, answer, t + 2 * kMs);
    }
    return frames;
}

int walkRow(const WalkTestDock& walk, int address, velora_decoding::WalkCheck check) {
    const auto& entries = walk.walk().entries();
    for (std::size_t row = 0; row < entries.size(); ++row) {
        if (entries[row].address == address && entries[row].check == check) {
            return int(row);
        }
    }
    return -1;
}

QString walkCell(const WalkTestDock& walk, int address, velora_decoding::WalkCheck check,
                 int column) {
    return walk.model().index(walkRow(walk, address, check), column).data().toString();
}

void markNotUsed(WalkTestDock& walk, int address, velora_decoding::WalkCheck check) {
    auto& model = const_cast<WalkTestModel&>(walk.model());
    ASSERT_TRUE(
        model.setData(model.index(walkRow(walk, address, check), WalkTestModel::NotUsedColumn),
                      Qt::Checked, Qt::CheckStateRole));
}

QString writeConfiguration(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("panel.xml"));
    QFile config(path);
    EXPECT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(kConfiguration);
    return path;
}

} // namespace

TEST(DeviceDockTest, OverviewComparisonAndReportOfASimulatedLine) {
    DeviceDock dock;
    QSignalSpy messages(&dock, &DeviceDock::statusMessage);
    dock.addFrames(scenario());
    dock.refresh();
    const DeviceModel& model = dock.model();
    using velora_report::kStateColumn;

    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(cellText(model, 1, kStateColumn), QStringLiteral("отвечает"));
    EXPECT_EQ(cellText(model, 2, kStateColumn), QStringLiteral("пропал"));
    EXPECT_EQ(cellText(model, 3, kStateColumn), QStringLiteral("отвечает"));
    EXPECT_EQ(cellText(model, 4, kStateColumn), QStringLiteral("молчит"));
    EXPECT_EQ(cellText(model, 2, velora_report::kPollsColumn), QStringLiteral("30"));
    EXPECT_EQ(cellText(model, 2, velora_report::kMissedColumn), QStringLiteral("50.0"));
    EXPECT_EQ(cellText(model, 1, velora_report::kAnswerTimeColumn),
              QStringLiteral("1.5 / 1.5 / 1.5 / 1.5"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages[0][0].toString().endsWith(QStringLiteral("прибор 2: пропал (и ещё изменений: 2)")))
        << messages[0][0].toString().toStdString();
    EXPECT_TRUE(model.isMarked(2) && model.isMarked(3) && !model.isMarked(1));
    const ChangeModel& changes = *dock.changes();
    ASSERT_EQ(changes.rowCount(), 3);
    EXPECT_EQ(changes.index(2, ChangeModel::AddressColumn).data().toInt(), 2);
    EXPECT_EQ(changes.index(2, ChangeModel::ChangeColumn).data().toString(),
              QStringLiteral("пропал"));
    EXPECT_EQ(changes.unacknowledged(), 3);
    dock.acknowledge();
    EXPECT_FALSE(model.isMarked(2));
    EXPECT_EQ(changes.unacknowledged(), 0);
    EXPECT_EQ(changes.index(0, ChangeModel::AcknowledgedColumn).data().toString(),
              QStringLiteral("да"));

    QTemporaryDir dir;
    const QString configPath = writeConfiguration(dir);
    EXPECT_FALSE(dock.loadConfiguration(dir.filePath(QStringLiteral("none.xml"))).isEmpty());
    ASSERT_EQ(dock.loadConfiguration(configPath), QString());
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(cellText(model, 1, velora_report::kNameColumn), QStringLiteral("Gate 1"));
    // What the configuration says has a column of its own, after the counts.
    using velora_report::kConfigColumn;
    EXPECT_EQ(cellText(model, 2, kStateColumn), QStringLiteral("пропал"));
    EXPECT_EQ(cellText(model, 2, kConfigColumn), QStringLiteral("в конфигурации, не отвечает"));
    EXPECT_EQ(cellText(model, 3, kConfigColumn), QStringLiteral("нет в конфигурации"));
    EXPECT_EQ(cellText(model, 5, kConfigColumn), QStringLiteral("в конфигурации, не опрашивается"));

    const QString pdf = dir.filePath(QStringLiteral("line.pdf"));
    ASSERT_EQ(dock.writeReport(pdf), QString());
    const QString report = pdfText(pdf);
    for (const char* expected :
         {"Отчёт о линии «Velora»", "Отвеченные опросы, %", "Пропали", "1: 2",
          "Из конфигурации не отвечают", "5 (Котельная)", "Изменения состояния по приборам",
          "конец тревоги 1", "нет в конфигурации"}) {
        EXPECT_TRUE(report.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_FALSE(report.contains(QStringLiteral("прибор 3: конец тревоги")));
    ASSERT_EQ(dock.writeReport(pdf, true), QString());
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("прибор 3: конец тревоги")))
        << "every change in the appendix";
    EXPECT_FALSE(dock.writeReport(dir.filePath(QStringLiteral("no/such/dir.pdf"))).isEmpty());
}

// The dock sees every frame, whatever the log's filter shows; a double click on its map
// leaves only that address checked in the filter panel.
TEST(DeviceDockTest, FedWithEveryFrameAndFiltersTheLogToAnAddress) {
    pseudo_terminal::PseudoTerminal line;
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* dock = window.findChild<DeviceDock*>(QStringLiteral("deviceDock"));
    auto* map = dock->findChild<DeviceMap*>();
    auto* addresses = window.findChild<FilterWidget*>()->findChild<QListWidget*>();
    const QRect cell20(((20 - 1) % DeviceMap::kColumns) * DeviceMap::kCell,
                       ((20 - 1) / DeviceMap::kColumns) * DeviceMap::kCell, DeviceMap::kCell,
                       DeviceMap::kCell);
    QTest::mouseDClick(map, Qt::LeftButton, {}, cell20.center());
    EXPECT_EQ(addresses->item(19)->checkState(), Qt::Checked);
    EXPECT_EQ(addresses->item(18)->checkState(), Qt::Unchecked);

    velora_traffic::TrafficGenerator traffic;
    traffic.pollRun(1, 10);
    traffic.shortAnswer(20, 0x40);
    app_driver::connectTo(window, QString::fromStdString(line.slavePath()));
    ASSERT_TRUE(app_driver::writeWhenListening(window, line, traffic.bytes()));
    EXPECT_EQ(app_driver::logView(window)->rowCount() % 2, 0) << "poll and answer of 20 only";
    EXPECT_GE(dock->tracker().device(5).polls, 1u);
    EXPECT_EQ(dock->tracker().device(20).presence, Presence::Answering);

    // The map repaints the cell whose state changed.
    const QPoint inside = cell20.topLeft() + QPoint(3, 3);
    const QColor answering = velora_report::stateColor(dock->tracker().device(20));
    ASSERT_NE(answering, velora_report::stateColor(velora_decoding::DeviceStatus{}));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return map->grab().toImage().pixelColor(inside) == answering; }));
}

// A second device at address 5 garbles every other answer of it. The dock names the
// address; choosing the finding shows its evidence alone in the log, the tracker's frame
// numbers being the log's records, until "Выбрать все" shows the log by its rules again.
TEST(DeviceDockTest, DiagnosisListsADuplicatedAddressAndShowsItsEvidence) {
    velora_traffic::TrafficGenerator traffic;
    for (int round = 0; round < 40; ++round) {
        for (int address = 1; address <= 3; ++address) {
            traffic.shortAnswer(address, 0x40);
        }
        if (round % 2 == 0) {
            traffic.shortAnswer(5, 0x40);
        } else {
            traffic.lonePoll(5, {0x00, 0x80, 0x00});
        }
    }
    traffic.shortAnswer(1, 0x40);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("duplicate.pcap"));
    velora_capture::CaptureWriter writer;
    ASSERT_TRUE(writer.open(path.toStdString()));
    std::int64_t ns = 1'614'852'000'000'000'000;
    for (const velora_traffic::Event& event : traffic.events()) {
        const auto time = Timestamp::recorded(ns += kMs);
        writer.write(Frame::of(MessageType(event.type), event.address, event.bytes, {time, time}));
    }
    ASSERT_TRUE(writer.close());

    MainWindow window;
    window.show();
    ASSERT_TRUE(window.openCapture(path));
    auto* dock = window.findChild<DiagnosisDock*>(QStringLiteral("diagnosisDock"));
    ASSERT_TRUE(dock);
    auto* table = dock->findChild<QTableView*>(QStringLiteral("diagnosisTable"));
    const auto* model = static_cast<const DiagnosisModel*>(table->model());
    int row = 0;
    while (row < model->rowCount() &&
           model->index(row, DiagnosisModel::AddressColumn).data() != QStringLiteral("5")) {
        ++row;
    }
    ASSERT_LT(row, model->rowCount()) << "no finding at address 5";
    EXPECT_TRUE(model->index(row, DiagnosisModel::TextColumn)
                    .data()
                    .toString()
                    .startsWith(QStringLiteral("На адрес 5 отвечают два прибора")));
    const std::vector<std::uint64_t>& evidence = model->evidence(row);
    ASSERT_FALSE(evidence.empty());
    EXPECT_EQ(model->index(row, DiagnosisModel::EvidenceColumn).data().toULongLong(),
              evidence.size());
    EXPECT_EQ(model->index(row, DiagnosisModel::TimeColumn).data().toString().size(), 25)
        << "hh:mm:ss.zzz, first and newest";

    EXPECT_TRUE(window.statusBar()->currentMessage().contains(
        model->index(row, DiagnosisModel::TextColumn).data().toString()))
        << "told as found, with the figures the dock shows";

    LogViewWidget* view = app_driver::logView(window);
    const int all = view->rowCount();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(model->index(row, 0)).center());
    ASSERT_EQ(view->rowCount(), int(evidence.size()));
    for (std::size_t i = 0; i < evidence.size(); ++i) {
        EXPECT_EQ(view->session()->recordAt(i), evidence[i]) << i;
    }
    auto* only = window.findChild<QCheckBox*>(QStringLiteral("onlyRecords"));
    EXPECT_TRUE(only->isVisible() && only->isChecked());
    window.findChild<QPushButton*>(QStringLiteral("selectAll"))->click();
    EXPECT_EQ(view->rowCount(), all);
    EXPECT_FALSE(only->isVisible());

    // A pause takes a record of the log but no frame number; a cleared log keeps numbering.
    SessionModel numbered(nullptr, dir.path());
    const Frame poll = Frame::of(mtQuery, 1, {1}, {});
    numbered.append({poll, poll});
    numbered.appendGap(1, 2);
    numbered.append({poll});
    EXPECT_EQ(numbered.frameRecord(2), 3);
    EXPECT_EQ(numbered.frameRecord(3), -1);
    numbered.clear();
    numbered.numberFramesFrom(3);
    numbered.append({poll});
    EXPECT_EQ(numbered.frameRecord(2), -1);
    EXPECT_EQ(numbered.frameRecord(3), 0);
}

// The checklist of the configured devices 1, 2 and 5: a configuration loaded after the line
// gives the result of one loaded before; a check marked not used stops counting and stays
// marked when the session is cleared.
TEST(WalkTestDockTest, ChecklistMarksAndProgress) {
    using velora_decoding::WalkCheck;
    DeviceDock devices;
    WalkTestDock walk(devices);
    const auto progress = [&walk] {
        walk.refresh();
        return walk.findChild<QLabel*>(QStringLiteral("walkProgress"))->text();
    };
    devices.addFrames(walkFrames());
    QTemporaryDir dir;
    ASSERT_EQ(devices.loadConfiguration(writeConfiguration(dir)), QString());
    EXPECT_EQ(walk.model().rowCount(), 15);
    EXPECT_EQ(progress(), QStringLiteral("Проверено 1 из 15"));
    EXPECT_EQ(walkCell(walk, 1, WalkCheck::Loop1, WalkTestModel::ResultColumn),
              QStringLiteral("проверено"));
    EXPECT_EQ(walkCell(walk, 2, WalkCheck::Loop1, WalkTestModel::ResultColumn),
              QStringLiteral("только тревога"));
    EXPECT_EQ(walkCell(walk, 1, WalkCheck::Loop1, WalkTestModel::DeviceColumn),
              QStringLiteral("1 Gate 1"));
    EXPECT_FALSE(walkCell(walk, 1, WalkCheck::Loop1, WalkTestModel::NormalColumn).isEmpty());
    EXPECT_TRUE(walk.findChild<QLabel*>(QStringLiteral("strayAlarms"))
                    ->text()
                    .contains(QStringLiteral("3 loop1")));

    markNotUsed(walk, 5, WalkCheck::Tamper);
    markNotUsed(walk, 2, WalkCheck::Loop1);
    EXPECT_EQ(progress(), QStringLiteral("Проверено 1 из 13"));
    EXPECT_EQ(walkCell(walk, 2, WalkCheck::Loop1, WalkTestModel::ResultColumn),
              QStringLiteral("не используется"));
    devices.clear();
    EXPECT_EQ(progress(), QStringLiteral("Проверено 0 из 13"));
    EXPECT_EQ(walk.marks().size(), 2u);
}

// The marks go beside a saved capture and come back when it is opened, with the same result.
TEST(WalkTestDockTest, MarksRoundTripThroughSaveAndOpen) {
    using velora_decoding::WalkCheck;
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("walk.pcap"));
    velora_capture::CaptureWriter writer;
    ASSERT_TRUE(writer.open(capture.toStdString()));
    for (const Frame& frame : walkFrames()) {
        writer.write(frame);
    }
    ASSERT_TRUE(writer.close());
    app_driver::BoxCloser boxes;
    MainWindow window;
    auto* devices = window.findChild<DeviceDock*>(QStringLiteral("deviceDock"));
    auto* walk = window.findChild<WalkTestDock*>(QStringLiteral("walkTestDock"));
    ASSERT_EQ(devices->loadConfiguration(writeConfiguration(dir)), QString());
    ASSERT_TRUE(window.openCapture(capture));
    markNotUsed(*walk, 5, WalkCheck::Tamper);

    const QString saved = dir.filePath(QStringLiteral("saved.pcap"));
    app_driver::chooseFile(saved);
    ASSERT_TRUE(window.onSaveCapture());
    QFile marks(saved + QStringLiteral(".walk"));
    ASSERT_TRUE(marks.open(QIODevice::ReadOnly));
    EXPECT_EQ(marks.readAll(), QByteArray("5\ttamper\n"));

    walk->setMarks({});
    ASSERT_TRUE(window.openCapture(saved));
    EXPECT_EQ(walk->marks(), (WalkMarks{{5, WalkCheck::Tamper}}));
    EXPECT_EQ(walk->walk().passed(), 1u);
    EXPECT_EQ(walk->walk().counted(), 14u);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
}
