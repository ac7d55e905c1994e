// The real main window against a pseudo-terminal fed with generated line traffic: every
// frame must come out as its row, in order, with its marker, colour, address, text and,
// once the raw data column is switched on, its bytes.
#include <LogViewWidget.h>
#include <MainWindow.h>
#include <test_support/AppDriver.h>
#include <velora_events/EventListener.h>

#include <test_support/PseudoTerminal.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace {

using velora_traffic::Event;

enum Column { Marker = 0, RawData = 1, Time = 2, Address = 3, Text = 4 };

QString cell(LogViewWidget& view, int row, int column) {
    return app_driver::cellText(view, row, column);
}

const char* const markers[] = {">", "<", "<", ">", ">", "<", " "};

QString hex(const std::vector<std::uint8_t>& bytes) {
    return QString::fromStdString(EventListener::toHexString(bytes));
}

// Checks the row against what the frame must look like; texts that need decoding are
// checked for their kind only.
void expectRow(LogViewWidget& view, int row, const Event& event) {
    SCOPED_TRACE(::testing::Message() << "row " << row << " event " << event);
    ASSERT_LT(row, view.rowCount());
    EXPECT_EQ(cell(view, row, Marker), QString::fromLatin1(markers[event.type - 1]));
    EXPECT_EQ(cell(view, row, Address),
              event.address > 0 ? QString::number(event.address) : QString());
    EXPECT_EQ(cell(view, row, RawData), hex(event.bytes));
    EXPECT_FALSE(cell(view, row, Time).isEmpty()) << "the reader's time";
    const QString text = cell(view, row, Text);
    switch (event.type) {
    case mtQuery:
        EXPECT_EQ(text, QString::fromUtf8("Опрос"));
        break;
    case mtShortAnswer:
        EXPECT_EQ(text, QString::fromUtf8("Ответ: нет данных"));
        break;
    case mtLongAnswerAck:
    case mtCommandAck:
        EXPECT_EQ(text, QString::fromUtf8("Подтверждение"));
        break;
    case mtCommand:
        EXPECT_TRUE(text.startsWith(QString::fromUtf8("Команда: "))) << text.toStdString();
        break;
    case mtTrash:
        EXPECT_EQ(text, QString::fromUtf8("Байты: ") + hex(event.bytes));
        break;
    default:
        EXPECT_FALSE(text.isEmpty());
    }
}

// What the event listener shows with every filter open: no frame of address 127.
std::vector<Event> showable(const std::vector<Event>& events) {
    std::vector<Event> shown;
    for (const Event& event : events) {
        if (event.type == mtTrash || event.address <= 126) {
            shown.push_back(event);
        }
    }
    return shown;
}

// A few frames that leave the parser idle, to learn when the reader listens.
std::vector<std::uint8_t> probe() {
    velora_traffic::TrafficGenerator generator;
    generator.shortAnswer(100, 0x40);
    return generator.bytes();
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        view = app_driver::logView(window);
        app_driver::connectTo(window, QString::fromStdString(line.slavePath()));
        ASSERT_TRUE(app_driver::action(window, "disconnect")->isEnabled());
        ASSERT_TRUE(app_driver::writeWhenListening(window, line, probe()));
    }

    // Writes the stream followed by more traffic (the parser holds the end of a poll run
    // until the next byte) and waits until the expected rows have arrived.
    void feed(velora_traffic::TrafficGenerator traffic, std::size_t expectedRows) {
        std::mt19937 rng(1);
        for (int i = 0; i < 10; ++i) {
            traffic.randomElement(rng);
        }
        const int before = view->rowCount();
        line.write(traffic.bytes());
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return view->rowCount() >= before + int(expectedRows); }, 15000))
            << view->rowCount() - before << " of " << expectedRows << " rows";
    }

    pseudo_terminal::PseudoTerminal line;
    MainWindow window;
    LogViewWidget* view = nullptr;
};

} // namespace

TEST_F(EndToEnd, EveryFrameOfTheLineBecomesItsRow) {
    view->setFocus();
    for (const Qt::Key key : {Qt::Key_D, Qt::Key_E, Qt::Key_B, Qt::Key_U, Qt::Key_G}) {
        QTest::keyClick(view, key);
    }
    ASSERT_FALSE(view->isColumnHidden(RawData));

    const auto traffic = velora_traffic::TrafficGenerator::random(5, 600);
    const std::vector<Event> events = showable(traffic.events());
    const int before = view->rowCount();
    feed(traffic, events.size());
    ASSERT_GE(view->rowCount() - before, int(events.size()));
    for (std::size_t i = 0; i < events.size(); ++i) {
        expectRow(*view, before + int(i), events[i]);
    }
}

TEST_F(EndToEnd, FilterHidesFrameKindsAndBringsThemBack) {
    // "Опрос" off: polls go, answers and everything else stay.
    auto* polls = window.findChild<QCheckBox*>(QStringLiteral("tQuery"));
    const int rowsWithPolls = view->rowCount();
    polls->click();

    const auto traffic = velora_traffic::TrafficGenerator::random(9, 400);
    std::vector<Event> shown;
    for (const Event& event : showable(traffic.events())) {
        if (event.type != mtQuery) {
            shown.push_back(event);
        }
    }
    const int before = view->rowCount();
    feed(traffic, shown.size());
    ASSERT_GE(view->rowCount() - before, int(shown.size()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const int row = before + int(i);
        EXPECT_EQ(cell(*view, row, Address),
                  shown[i].address > 0 ? QString::number(shown[i].address) : QString())
            << "row " << row;
        EXPECT_NE(cell(*view, row, Text), QString::fromUtf8("Опрос")) << "row " << row;
    }

    // The session kept the polls: showing them again brings them back in their places.
    app_driver::action(window, "disconnect")->trigger();
    polls->click();
    const std::vector<Event> all = showable(traffic.events());
    ASSERT_GE(view->rowCount() - rowsWithPolls, int(all.size()));
    for (std::size_t i = 0; i < all.size(); ++i) {
        expectRow(*view, rowsWithPolls + int(i), all[i]);
    }
}
