// Opening, saving and exporting the session, the question before a live session is
// dropped, and the command line.
#include <CommandLine.h>
#include <FilterWidget.h>
#include <LogExport.h>
#include <LogViewWidget.h>
#include <MainWindow.h>
#include <SessionModel.h>
#include <test_support/AppDriver.h>

#include <test_support/PseudoTerminal.h>
#include <velora_capture/CaptureReader.h>
#include <velora_capture/CaptureWriter.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

enum Column { Time = 2, Address = 3, Text = 4 };

// Writes n polls, each answered, one frame a millisecond from 2021-03-04 10:00:00.000 UTC;
// 2n frames.
QString writeCapture(const QString& path, int n) {
    velora_traffic::TrafficGenerator traffic;
    for (int a = 1; a <= n; ++a) {
        traffic.shortAnswer(a, 0x40);
    }
    velora_capture::CaptureWriter writer;
    EXPECT_TRUE(writer.open(path.toStdString()));
    std::int64_t ms = 1614852000000LL;
    for (const velora_traffic::Event& event : traffic.events()) {
        const auto time = velora_protocol::Timestamp::recorded(++ms * 1'000'000);
        writer.write(velora_protocol::Frame::of(MessageType(event.type), event.address, event.bytes,
                                                {time, time}));
    }
    EXPECT_TRUE(writer.close());
    return path;
}

// Answers the next question box with `button`, noting that it was asked.
void answerQuestion(QMessageBox::StandardButton button, int& asked) {
    app_driver::whenModal<QMessageBox>([button, &asked](QMessageBox* box) {
        ++asked;
        box->button(button)->click();
    });
}

class SessionFiles : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        view = app_driver::logView(window);
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Connects to the line and reads a poll of 3 and its answer from it.
    void receiveAnExchange() {
        app_driver::connectTo(window, QString::fromStdString(line.slavePath()));
        velora_traffic::TrafficGenerator traffic;
        traffic.shortAnswer(3, 0x40);
        ASSERT_TRUE(app_driver::writeWhenListening(window, line, traffic.bytes()));
    }

    pseudo_terminal::PseudoTerminal line;
    QTemporaryDir dir;
    MainWindow window;
    LogViewWidget* view = nullptr;
};

} // namespace

TEST_F(SessionFiles, OpenSaveAndExportRoundTrip) {
    ASSERT_TRUE(window.openCapture(writeCapture(file("line.pcap"), 20)));
    ASSERT_EQ(view->rowCount(), 40);
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("line.pcap - ")));
    EXPECT_EQ(app_driver::cellText(*view, 0, Text), QString::fromUtf8("Опрос"));
    EXPECT_TRUE(app_driver::cellText(*view, 1, Time).endsWith(QStringLiteral(".002")))
        << "recorded times";

    app_driver::chooseFile(file("saved"));
    ASSERT_TRUE(window.onSaveCapture());
    EXPECT_TRUE(window.statusBar()->currentMessage().endsWith(file("saved.pcap")))
        << "a name typed without extension gets .pcap";
    QFile original(file("line.pcap"));
    QFile saved(file("saved.pcap"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), original.readAll()) << "the same records";

    window.findChild<FilterWidget*>()->showOnlyAddress(7);
    ASSERT_EQ(view->rowCount(), 2);
    for (const char* name : {"log.tsv", "log.csv"}) {
        app_driver::chooseFile(file(name));
        window.onExportLog();
        QFile exported(file(name));
        ASSERT_TRUE(exported.open(QIODevice::ReadOnly)) << name;
        const QStringList lines = QString::fromUtf8(exported.readAll()).split('\n');
        const QChar separator = QString::fromLatin1(name).endsWith("csv") ? ',' : '\t';
        EXPECT_EQ(lines.value(0).split(separator).value(2), QString::fromUtf8("Адрес")) << name;
        EXPECT_EQ(lines.value(1).split(separator).mid(1, 3),
                  QStringList({">", "7", QString::fromUtf8("Опрос")}))
            << name;
        EXPECT_EQ(lines.value(2).split(separator).mid(1, 3),
                  QStringList({"<", "7", QString::fromUtf8("Ответ: нет данных")}))
            << name;
        EXPECT_EQ(lines.size(), 4) << "header, the rows shown, the final newline";
    }
}

TEST_F(SessionFiles, ABrokenCaptureIsNamedAndWhatWasReadStays) {
    writeCapture(file("whole.pcap"), 15);
    QFile whole(file("whole.pcap"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(file("cut.pcap"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.readAll().chopped(5));
    cut.close();

    struct Case {
        QString path;
        int rows;
        const char* reason; // part of it
    };
    // The cut record's answer is lost, and with it the parser's last poll, which waits for
    // the byte after it. libpcap's own words come on a line of their own. A text is shown,
    // as trash, and named as no line.
    QFile text(file("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Not a line, a note.\n").repeated(50));
    text.close();
    const Case cases[] = {
        {file("cut.pcap"), 28, "\nСообщение библиотеки libpcap: truncated dump file"},
        {file("notes.txt"), 250, "notes.txt: файл не похож на запись линии «Velora»: в нём текст"},
        {file("missing.pcap"), 0, "не найден"},
        {dir.path(), 0, "это каталог"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        app_driver::BoxCloser closer;
        window.openCapture(c.path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !closer.boxes.empty(); }));
        EXPECT_TRUE(closer.boxes[0].text.contains(c.path));
        const QString said = closer.boxes[0].text + '\n' + closer.boxes[0].informativeText;
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.reason))) << said.toStdString();
        EXPECT_EQ(view->rowCount(), c.rows);
    }
}

TEST_F(SessionFiles, ALiveSessionIsNotDroppedWithoutAsking) {
    ASSERT_NO_FATAL_FAILURE(receiveAnExchange());
    app_driver::action(window, "disconnect")->trigger();
    const int rows = view->rowCount();

    int asked = 0;
    answerQuestion(QMessageBox::Cancel, asked);
    app_driver::action(window, "connect")->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(view->rowCount(), rows) << "cancelled: nothing changes";

    answerQuestion(QMessageBox::Discard, asked);
    int dialogs = 0;
    app_driver::whenModal<ConnectDialog>([&dialogs](ConnectDialog* dialog) {
        ++dialogs;
        dialog->reject();
    });
    app_driver::action(window, "connect")->trigger();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(dialogs, 1) << "discarding goes on to the connect dialog";

    ASSERT_TRUE(window.openCapture(writeCapture(file("other.pcap"), 3)));
    int closed = 0;
    answerQuestion(QMessageBox::Cancel, closed);
    EXPECT_TRUE(window.close()) << "an opened file is no unsaved live session";
    EXPECT_EQ(closed, 0);
}

// Saved while the line is read, the file ends with the bytes of the frame under way, as
// trash; the live parser still completes that frame when its last bytes come.
TEST_F(SessionFiles, ALiveSaveEndsWithTheBytesOfTheFrameUnderWay) {
    ASSERT_NO_FATAL_FAILURE(receiveAnExchange());
    velora_traffic::TrafficGenerator traffic;
    traffic.longAnswer(7, 0x43, {0x08, 0x01, 0x0C, 0, 0, 0}, false);
    const std::vector<std::uint8_t> answer = traffic.takeBytes();
    // The poll and the answer's first bytes: the parser waits for the rest to decide.
    const std::vector<std::uint8_t> head(answer.begin(), answer.begin() + 5);
    line.write(head);
    QTest::qWait(500);

    app_driver::chooseFile(file("live.pcap"));
    ASSERT_TRUE(window.onSaveCapture());
    const int rows = view->rowCount();
    velora_capture::CaptureReader reader;
    ASSERT_TRUE(reader.open(file("live.pcap").toStdString()));
    int pieces = 0;
    velora_capture::Piece piece;
    std::vector<std::uint8_t> last;
    for (; reader.next(piece); ++pieces) {
        last = piece.type == mtTrash
                   ? std::vector<std::uint8_t>(piece.data, piece.data + piece.size)
                   : std::vector<std::uint8_t>();
    }
    EXPECT_EQ(pieces, rows + 1);
    EXPECT_EQ(last, head);

    line.write(std::vector<std::uint8_t>(answer.begin() + 5, answer.end()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->rowCount() >= rows + 2; }, 3000));
    EXPECT_EQ(view->session()->store().type(std::uint64_t(view->rowCount() - 1)), mtLongAnswer);
    app_driver::action(window, "disconnect")->trigger();
}

TEST(CommandLine, PortFileHelpAndVersion) {
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("c.pcap"));
    QFile(capture).open(QIODevice::WriteOnly);
    struct Case {
        QStringList arguments;
        QString port;
        QString file;
        bool exits;
        int exitCode;
        const char* output; // part of it
    };
    const Case cases[] = {
        {{}, {}, {}, false, 0, ""},
        {{"/dev/ttyUSB0"}, "/dev/ttyUSB0", {}, false, 0, ""},
        {{capture}, {}, capture, false, 0, ""},
        {{"ttyUSB0"}, "ttyUSB0", {}, false, 0, ""},
        {{"/tmp/x/nothere.pcap"}, {}, "/tmp/x/nothere.pcap", false, 0, ""},
        {{"nothere.pcapng"}, {}, "nothere.pcapng", false, 0, ""},
        {{dir.path()}, {}, dir.path(), false, 0, ""},
        {{"--version"}, {}, {}, true, 0, "velora-debugger 1.1.6.1107"},
        {{"--help"}, {}, {}, true, 0, "ПОРТ | ФАЙЛ"},
        {{"a", "b"}, {}, {}, true, 2, ""},
        {{"--no-such-option"}, {}, {}, true, 2, "no-such-option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line =
            CommandLine::parse(QStringList{QStringLiteral("velora-debugger")} + c.arguments);
        EXPECT_EQ(line.port, c.port);
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.exits, c.exits);
        EXPECT_EQ(line.exitCode, c.exitCode);
        EXPECT_TRUE(line.output.contains(QString::fromUtf8(c.output))) << line.output.toStdString();
    }
}

// Cancel in the progress of a save or an export: no file, and no error to show.
TEST_F(SessionFiles, CancelledSaveAndExportLeaveNoFile) {
    ASSERT_TRUE(window.openCapture(writeCapture(file("line.pcap"), 20)));
    const auto cancel = [](std::uint64_t) { return false; };
    std::string saveError = "x";
    EXPECT_FALSE(
        view->session()->store().save(file("saved.pcap").toStdString(), saveError, cancel));
    EXPECT_EQ(saveError, "");
    QString exportError = QStringLiteral("x");
    EXPECT_FALSE(LogExport::write(*view->session(), file("log.tsv"), exportError, cancel));
    EXPECT_EQ(exportError, QString());
    for (const char* name : {"saved.pcap", "log.tsv"}) {
        EXPECT_FALSE(QFile::exists(file(name))) << name;
    }
}
