#include <ConnectDialog.h>
#include <LogViewWidget.h>
#include <MainWindow.h>
#include <test_support/AppDriver.h>

#include <test_support/PseudoTerminal.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <poll.h>

using app_driver::action;

namespace {

// The enabled flags of connect, disconnect, pauseRx and resumeRx.
std::string state(MainWindow& window) {
    std::string flags;
    for (const char* name : {"connect", "disconnect", "pauseRx", "resumeRx"}) {
        flags += action(window, name)->isEnabled() ? '1' : '0';
    }
    return flags;
}
const std::string disconnected = "1000";
const std::string receiving = "0110";
const std::string paused = "0101";

// The status bar's two labels, left to right: the port and the pause mark.
std::pair<QLabel*, QLabel*> statusLabels(MainWindow& window) {
    auto labels = window.statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    for (const char* other : {"lineHealth", "unacknowledgedChanges"}) {
        labels.removeAll(window.statusBar()->findChild<QLabel*>(QString::fromLatin1(other)));
    }
    EXPECT_EQ(labels.size(), 2);
    std::sort(labels.begin(), labels.end(),
              [](QLabel* a, QLabel* b) { return a->minimumWidth() > b->minimumWidth(); });
    return {labels.value(0), labels.value(1)};
}

std::vector<std::uint8_t> somePolls() {
    velora_traffic::TrafficGenerator generator;
    generator.pollRun(1, 10);
    generator.shortAnswer(20, 0x40);
    return generator.bytes();
}

// A pseudo-terminal's master reports a hang-up while nobody holds its slave side open.
bool slaveOpen(const pseudo_terminal::PseudoTerminal& line) {
    pollfd fd{line.masterFd(), POLLIN, 0};
    ::poll(&fd, 1, 0);
    return (fd.revents & POLLHUP) == 0;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QString linePath() const { return QString::fromStdString(line.slavePath()); }

    pseudo_terminal::PseudoTerminal line;
    MainWindow window;
};

} // namespace

TEST_F(MainWindowTest, StartsDisconnectedWithItsTitleAndEmptyStatus) {
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Отладчик «Velora» - 1.1.6.1107"));
    EXPECT_EQ(state(window), disconnected);
    for (const char* name : {"quit", "about", "clearLog"}) {
        EXPECT_TRUE(action(window, name)->isEnabled()) << name;
    }
    const auto [port, pause] = statusLabels(window);
    EXPECT_EQ(port->text(), QString());
    EXPECT_EQ(pause->text(), QString());
    EXPECT_LT(port->x(), pause->x()) << "the pause mark stands at the right";
    EXPECT_EQ(action(window, "connect")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(action(window, "disconnect")->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    EXPECT_EQ(action(window, "quit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

TEST_F(MainWindowTest, ConnectPauseResumeAndDisconnect) {
    const auto [port, pause] = statusLabels(window);
    LogViewWidget* view = app_driver::logView(window);
    view->addMessage(1, 1, QStringLiteral("from before"), QString());

    app_driver::connectTo(window, linePath());
    ASSERT_EQ(state(window), receiving);
    EXPECT_EQ(port->text(), linePath());
    EXPECT_EQ(view->rowCount(), 0) << "a connection starts with an empty table";
    ASSERT_TRUE(app_driver::writeWhenListening(window, line, somePolls()));
    // The line health's second: a pseudo-terminal keeps no error counts, and says so.
    const auto* health = window.statusBar()->findChild<QLabel*>(QStringLiteral("lineHealth"));
    QTRY_VERIFY_WITH_TIMEOUT(
        health->text().endsWith(QString::fromUtf8("; счётчики ошибок преобразователь не ведёт")),
        3000);

    action(window, "pauseRx")->trigger();
    EXPECT_EQ(state(window), paused);
    EXPECT_EQ(pause->text(), QString::fromUtf8("пауза"));
    EXPECT_EQ(port->text(), linePath());
    const int rowsBeforePause = view->rowCount();
    line.write(somePolls());
    QTest::qWait(300);
    EXPECT_EQ(view->rowCount(), rowsBeforePause) << "nothing is read while paused";

    action(window, "resumeRx")->trigger();
    EXPECT_EQ(state(window), receiving);
    EXPECT_EQ(pause->text(), QString());
    ASSERT_TRUE(app_driver::writeWhenListening(window, line, somePolls()));

    action(window, "disconnect")->trigger();
    EXPECT_EQ(state(window), disconnected);
    EXPECT_EQ(port->text(), QString());
    EXPECT_GT(view->rowCount(), rowsBeforePause) << "the table is kept";
}

TEST_F(MainWindowTest, CancelledDialogChangesNothing) {
    app_driver::whenModal<ConnectDialog>([](ConnectDialog* dialog) { dialog->reject(); });
    action(window, "connect")->trigger();
    EXPECT_EQ(state(window), disconnected);
}

TEST_F(MainWindowTest, FailedOpenShowsThePortAndTheReason) {
    app_driver::BoxCloser closer;
    app_driver::connectTo(window, QStringLiteral("/dev/velora-no-such-port"));
    ASSERT_EQ(closer.boxes.size(), 1u);
    EXPECT_EQ(closer.boxes[0].title, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(closer.boxes[0].text,
              QString::fromUtf8("Ошибка при открытии порта /dev/velora-no-such-port"));
    EXPECT_FALSE(closer.boxes[0].informativeText.isEmpty());
    EXPECT_EQ(state(window), disconnected);
}

TEST_F(MainWindowTest, LostConverterIsReportedOnceAndKeepsTheTable) {
    app_driver::connectTo(window, linePath());
    ASSERT_TRUE(app_driver::writeWhenListening(window, line, somePolls()));
    LogViewWidget* view = app_driver::logView(window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->rowCount() >= 12; }));
    const int rows = view->rowCount();

    app_driver::BoxCloser closer;
    line.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !closer.boxes.empty(); }, 5000));
    QTest::qWait(500);
    ASSERT_EQ(closer.boxes.size(), 1u);
    EXPECT_EQ(closer.boxes[0].title, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(closer.boxes[0].text, QString::fromUtf8("Нет связи с преобразователем USB-RS485."));
    EXPECT_EQ(state(window), disconnected);
    EXPECT_EQ(statusLabels(window).first->text(), QString::fromUtf8("Отключено"));
    EXPECT_EQ(window.statusBar()->currentMessage(), QString());
    EXPECT_EQ(view->rowCount(), rows);
}

TEST_F(MainWindowTest, ClosingWhileReceivingDisconnectsFirst) {
    app_driver::connectTo(window, linePath());
    ASSERT_EQ(state(window), receiving);
    ASSERT_TRUE(slaveOpen(line));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(state(window), disconnected);
    EXPECT_FALSE(slaveOpen(line)) << "the port is closed";
}

TEST_F(MainWindowTest, ShortcutsFollowTheState) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    int dialogs = 0;
    auto cancelNextDialog = [&dialogs] {
        app_driver::whenModal<ConnectDialog>([&dialogs](ConnectDialog* dialog) {
            ++dialogs;
            dialog->reject();
        });
    };
    cancelNextDialog();
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);

    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(state(window), disconnected);

    app_driver::connectTo(window, linePath());
    ASSERT_EQ(state(window), receiving);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    app_driver::whenModal<ConnectDialog>(
        [&dialogs](ConnectDialog* dialog) {
            ++dialogs;
            dialog->reject();
        },
        300);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QTest::qWait(400);
    EXPECT_EQ(dialogs, 1) << "no dialog while connected";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(state(window), disconnected);
}

// 1366×768 at 100 %, 2560×1600 at 200 % (1280×800 logical) and 1920×1080, each less a
// taskbar and the window's title bar.
TEST_F(MainWindowTest, MinimumSizeFitsSmallScreensWithTheirTaskbar) {
    const QSize least = window.minimumSize().expandedTo(window.minimumSizeHint());
    for (const QSize screen : {QSize(1366, 768), QSize(1280, 800), QSize(1920, 1080)}) {
        const QSize room = screen - QSize(0, 48 + 32);
        EXPECT_EQ(least.boundedTo(room), least) << screen.width() << "x" << screen.height();
    }
}
