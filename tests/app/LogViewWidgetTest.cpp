#include <LogViewWidget.h>
#include <SessionModel.h>

#include <velora_events/EventFilter.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace {

enum Column { Marker = 0, RawData = 1, Time = 2, Address = 3, Text = 4 };

QVariant data(const LogViewWidget& view, int row, int column, int role = Qt::DisplayRole) {
    return view.model()->index(row, column).data(role);
}

QString cell(const LogViewWidget& view, int row, int column) {
    return data(view, row, column).toString();
}

void typeKeys(LogViewWidget& view, const QString& keys,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (const QChar c : keys) {
        QTest::keyClick(&view, Qt::Key(c.toUpper().unicode()), modifiers);
    }
}

velora_protocol::Frame frame(MessageType type, int address, std::vector<std::uint8_t> bytes,
                             std::int64_t ms = 0) {
    const auto time = velora_protocol::Timestamp::recorded(ms * 1'000'000);
    return velora_protocol::Frame::of(type, address, bytes, {time, time});
}

// Polls of addresses 1..n, each followed by a short answer, 10 ms apart.
std::vector<velora_protocol::Frame> pollsAndAnswers(int n) {
    std::vector<velora_protocol::Frame> frames;
    for (int a = 1; a <= n; ++a) {
        frames.push_back(frame(mtQuery, a, {std::uint8_t(0x80 | a)}, 20 * a));
        frames.push_back(frame(mtShortAnswer, a, {0x40}, 20 * a + 10));
    }
    return frames;
}

// A wheel or touchpad turn upwards over the rows.
void wheelUp(LogViewWidget& view, QPoint pixels, QPoint degrees) {
    const QPoint at = view.viewport()->rect().center();
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), pixels, degrees, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
}

} // namespace

TEST(LogViewWidget, StartsWithTimeBeforeAddressAndTheRawDataColumnHidden) {
    LogViewWidget view;
    ASSERT_EQ(view.model()->columnCount(), 5);
    const char* const headers[] = {"", "Данные", "Время", "Адрес", "Событие"};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(view.model()->headerData(column, Qt::Horizontal).toString(),
                  QString::fromUtf8(headers[column]));
    }
    EXPECT_TRUE(view.isColumnHidden(RawData));
    EXPECT_FALSE(view.isColumnHidden(Time));
    EXPECT_FALSE(view.verticalHeader()->isVisible());
    EXPECT_EQ(view.columnWidth(Marker), 17);
    EXPECT_EQ(view.columnWidth(Address),
              std::max(50, view.horizontalHeader()->sectionSizeHint(Address)))
        << "its whole title shows";
    EXPECT_EQ(view.verticalHeader()->defaultSectionSize(), view.fontMetrics().height() + 2);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(LogViewWidget, RowShowsMarkerAddressAndTextInTheColourOfItsType) {
    struct Case {
        int type;
        int address;
        const char* marker;
        QColor colour; // invalid: no background
    };
    const Case cases[] = {
        {1, 12, ">", QColor(189, 255, 164)},
        {2, 3, "<", QColor(255, 255, 164)},
        {3, 4, "<", QColor(255, 204, 164)},
        {4, 4, ">", QColor(255, 255, 164)},
        {5, 9, ">", QColor(164, 204, 255)},
        {6, 9, "<", QColor(255, 255, 164)},
        {7, 0, " ", QColor(255, 164, 164)},
        {0, 5, " ", QColor()},
        {8, 5, " ", QColor()},
    };
    LogViewWidget view;
    for (const Case& c : cases) {
        view.addMessage(c.type, c.address, QStringLiteral("text"), QStringLiteral("AA"));
        const int row = view.rowCount() - 1;
        SCOPED_TRACE(c.type);
        EXPECT_EQ(cell(view, row, Marker), QString::fromLatin1(c.marker));
        EXPECT_EQ(cell(view, row, Address), c.address > 0 ? QString::number(c.address) : QString());
        EXPECT_EQ(cell(view, row, Text), QStringLiteral("text"));
        EXPECT_EQ(cell(view, row, RawData), QStringLiteral("AA"));
        EXPECT_EQ(cell(view, row, Time).size(), 12) << "hh:mm:ss.zzz";
        EXPECT_EQ(data(view, row, Marker, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        EXPECT_EQ(data(view, row, Address, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        for (const int column : {Marker, RawData, Time, Address, Text}) {
            const QVariant brush = data(view, row, column, Qt::BackgroundRole);
            if (c.colour.isValid()) {
                ASSERT_TRUE(brush.canConvert<QBrush>());
                EXPECT_EQ(brush.value<QBrush>().color(), c.colour);
                EXPECT_EQ(brush.value<QBrush>().style(), Qt::SolidPattern);
            } else {
                EXPECT_FALSE(brush.isValid());
            }
        }
    }

    // As painted: every row in its colour, the selected one in the selection's.
    view.resize(400, 300);
    view.show();
    view.selectRow(0);
    const QImage image = view.viewport()->grab().toImage();
    const auto painted = [&](int row) {
        const QRect rect = view.visualRect(view.model()->index(row, Text));
        return image.pixelColor(rect.right() - 2, rect.center().y());
    };
    for (int row = 1; row < int(std::size(cases)); ++row) {
        if (cases[row].colour.isValid()) {
            EXPECT_EQ(painted(row), cases[row].colour) << row;
        }
    }
    EXPECT_TRUE(painted(0) == view.palette().color(QPalette::Active, QPalette::Highlight) ||
                painted(0) == view.palette().color(QPalette::Inactive, QPalette::Highlight));
}

TEST(LogViewWidget, KeepsEveryRowOfTheSession) {
    LogViewWidget view;
    std::vector<velora_protocol::Frame> frames;
    for (int i = 0; i < 70000; ++i) {
        frames.push_back(frame(mtQuery, 1 + i % 126, {std::uint8_t(0x80 | (1 + i % 126))}, i));
    }
    view.session()->append(frames);
    ASSERT_EQ(view.rowCount(), 70000);
    EXPECT_EQ(cell(view, 0, Address), QStringLiteral("1"));
    EXPECT_EQ(cell(view, 69999, Address), QString::number(1 + 69999 % 126));
    view.clearLog();
    EXPECT_EQ(view.rowCount(), 0);
}

TEST(LogViewWidget, FollowsTheNewestRowOnlyWhileAtTheBottom) {
    LogViewWidget view;
    view.resize(400, 200);
    view.show();
    view.session()->append(pollsAndAnswers(50));
    QScrollBar* bar = view.scrollBar();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_FALSE(view.isFollowing());
    EXPECT_FALSE(view.followAction()->isChecked());
    view.session()->append(pollsAndAnswers(20));
    QTest::qWait(50);
    EXPECT_EQ(bar->value(), 0) << "reading older rows is not disturbed by new ones";

    view.setFocus();
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_TRUE(view.isFollowing());
    view.session()->append(pollsAndAnswers(20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }));
}

TEST(LogViewWidget, AnyMoveAwayFromTheBottomFreezesTheLiveView) {
    const std::vector<std::pair<const char*, std::function<void(LogViewWidget&)>>> moves = {
        {"wheel",
         [](LogViewWidget& view) {
             wheelUp(view, {}, {0, 120});
         }},
        {"touchpad",
         [](LogViewWidget& view) {
             for (int step = 0; step < 8; ++step) {
                 wheelUp(view, {0, 8}, {0, 15});
             }
         }},
        {"page up", [](LogViewWidget& view) { QTest::keyClick(&view, Qt::Key_PageUp); }},
        {"up", [](LogViewWidget& view) { QTest::keyClick(&view, Qt::Key_Up); }},
        {"click on an old row",
         [](LogViewWidget& view) {
             QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                               view.visualRect(view.indexAt({5, 5})).center());
         }},
    };
    for (const auto& [name, move] : moves) {
        LogViewWidget view;
        view.resize(400, 200);
        view.show();
        view.session()->append(pollsAndAnswers(50));
        QScrollBar* bar = view.scrollBar();
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); })) << name;
        view.setCurrentIndex(view.model()->index(99, Text));
        view.setFocus();

        move(view);
        EXPECT_FALSE(view.isFollowing()) << name;
        const int shown = bar->value();
        view.session()->append(pollsAndAnswers(20));
        QTest::qWait(50);
        EXPECT_EQ(bar->value(), shown) << name << ": new rows do not pull the view down";
        EXPECT_LT(bar->value(), bar->maximum()) << name;
    }
}

// A shown log of 1000 rows whose model holds a window of 200 of them.
class LogInAWindowOfRows : public ::testing::Test {
protected:
    void SetUp() override {
        model.setWindowLimit(200);
        view.resize(400, 200);
        view.show();
        model.append(pollsAndAnswers(500));
    }

    LogViewWidget view;
    SessionModel& model = *view.session();
};

TEST_F(LogInAWindowOfRows, ScrollsALongSessionThroughIt) {
    QScrollBar* bar = view.scrollBar();
    const auto windowHolds = [&](std::uint64_t row) {
        return view.model()->rowCount() <= 200 && model.windowRow(row) >= 0;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }));
    EXPECT_EQ(bar->maximum() + bar->pageStep(), 1000) << "the bar covers every row";
    EXPECT_TRUE(windowHolds(999));

    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(view.currentRecord(), 0);
    EXPECT_FALSE(view.isFollowing());
    model.append(pollsAndAnswers(500));
    EXPECT_EQ(bar->value(), 0) << "a frozen view stays where it is";
    EXPECT_EQ(model.windowStart(), 0u);

    // The selection and the current row outlive moves of the window.
    view.selectionModel()->select(model.index(3, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(windowHolds(1999));
    EXPECT_EQ(view.currentRecord(), 0);
    EXPECT_EQ(view.selectedText().count('\n'), 1);
    bar->setSliderPosition(1000);
    bar->triggerAction(QAbstractSlider::SliderMove);
    EXPECT_TRUE(windowHolds(1000));
    EXPECT_EQ(view.currentIndex().isValid(), model.windowRow(0) >= 0);
    view.selectAll();
    EXPECT_EQ(view.selectedText().count('\n'), 2000);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_TRUE(view.currentIndex().isValid() && view.currentIndex().row() == 0);
    EXPECT_EQ(view.selectedText().count('\n'), 2000);

    // A find hit far away brings the window there; End follows again.
    model.append({frame(mtTrash, 0, {0x12, 0x34, 0x56})});
    ASSERT_TRUE(view.find(QStringLiteral("34 56"), true));
    EXPECT_EQ(view.currentRecord(), 2000);
    EXPECT_TRUE(windowHolds(2000));
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_FALSE(view.isFollowing());
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(view.isFollowing());
    model.append(pollsAndAnswers(500));
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }));
    EXPECT_TRUE(windowHolds(2999));
    EXPECT_EQ(bar->maximum() + bar->pageStep(), 3001);
}

TEST(LogViewWidget, FiltersShowAndHidePastRowsKeepingTheCurrentFrame) {
    LogViewWidget view;
    EventFilter filter;
    view.session()->setFilter(&filter);
    view.session()->append(pollsAndAnswers(10));
    ASSERT_EQ(view.rowCount(), 20);
    view.setCurrentIndex(view.model()->index(7, Text)); // the answer of address 4
    const std::int64_t answer = view.currentRecord();

    filter.setTypes(0x01, false); // polls hidden
    view.refilter();
    ASSERT_EQ(view.rowCount(), 10);
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(cell(view, row, Marker), QStringLiteral("<"));
    }
    EXPECT_EQ(view.currentRecord(), answer);

    filter.setTypes(0x01, true);
    filter.setAddress(4, false);
    view.refilter();
    EXPECT_EQ(view.rowCount(), 18) << "the old polls are back, address 4 is gone";
    EXPECT_EQ(view.currentRecord(), answer + 1) << "the nearest shown frame after it";
}

TEST(LogViewWidget, CopiesSelectedRowsAsTabSeparatedText) {
    LogViewWidget view;
    view.session()->append({frame(mtQuery, 5, {0x85}), frame(mtTrash, 0, {0x01, 0xAB})});
    view.selectAll();
    view.copySelection();
    const QString time = SessionModel::timeText(0);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QString::fromUtf8("\t>\t5\tОпрос\t85\n\t \t\tБайты: 01 AB\t01 AB\n"));
    EXPECT_TRUE(time.isEmpty()) << "an unknown time stays empty";
}

TEST(LogViewWidget, FindsTextAndBytesOverTheWholeSessionBothWays) {
    LogViewWidget view;
    std::vector<velora_protocol::Frame> frames = pollsAndAnswers(5);
    frames.push_back(frame(mtTrash, 0, {0x12, 0x34, 0x56}));
    view.session()->append(frames);
    struct Case {
        const char* query;
        bool forward;
        int from;
        int row; // -1: not found
    };
    const Case cases[] = {
        {"ответ", true, 0, 1},  {"ответ", true, 1, 3},   {"ответ", false, 1, 9},
        {"34 56", true, 0, 10}, {"3456", false, 10, 10}, {"нет такого", true, 0, -1},
        {"83", true, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        view.setCurrentIndex(view.model()->index(c.from, Text));
        EXPECT_EQ(view.find(QString::fromUtf8(c.query), c.forward), c.row >= 0);
        EXPECT_EQ(view.currentIndex().row(), c.row >= 0 ? c.row : c.from);
    }
}

TEST(LogViewWidget, ToolTipGivesDateAndTimesSinceThePreviousAndTheAnsweredFrame) {
    LogViewWidget view;
    view.session()->append(pollsAndAnswers(2));
    const QString tip = data(view, 1, Text, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("01.01.1970"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QString::fromUtf8("от предыдущего кадра: 10,0 мс")));
    EXPECT_TRUE(tip.contains(QString::fromUtf8("на который он отвечает: 10,0 мс")));
}

TEST(LogViewWidget, TypingDebugShowsTheBytesOfEveryRowOnce) {
    LogViewWidget view;
    QSignalSpy activated(&view, &LogViewWidget::eggActivated);
    view.addMessage(1, 5, QStringLiteral("before"), QStringLiteral("05"));

    typeKeys(view, QStringLiteral("debu"));
    EXPECT_EQ(activated.count(), 0);
    EXPECT_TRUE(view.isColumnHidden(RawData));
    typeKeys(view, QStringLiteral("g"));
    EXPECT_EQ(activated.count(), 1);
    EXPECT_FALSE(view.isColumnHidden(RawData));
    EXPECT_TRUE(view.rawDataAction()->isChecked());

    typeKeys(view, QStringLiteral("debug"));
    EXPECT_EQ(activated.count(), 1) << "the switch cannot be completed twice";

    view.addMessage(5, 9, QStringLiteral("after"), QStringLiteral("89 00 10"));
    EXPECT_EQ(cell(view, 0, RawData), QStringLiteral("05")) << "older rows show their bytes too";
    EXPECT_EQ(cell(view, 1, RawData), QStringLiteral("89 00 10"));
    EXPECT_EQ(data(view, 1, RawData, Qt::FontRole).value<QFont>().family(),
              QStringLiteral("Courier"));

    view.clearLog();
    EXPECT_FALSE(view.isColumnHidden(RawData)) << "clearing keeps the column shown";
    view.rawDataAction()->trigger();
    EXPECT_TRUE(view.isColumnHidden(RawData)) << "the menu item turns it off again";
}

TEST(LogViewWidget, DebugSwitchNeedsFivePlainKeysInOneRun) {
    {
        LogViewWidget view;
        QSignalSpy activated(&view, &LogViewWidget::eggActivated);
        typeKeys(view, QStringLiteral("debug"), Qt::ShiftModifier);
        typeKeys(view, QStringLiteral("deb"));
        QTest::keyClick(&view, Qt::Key_U, Qt::ControlModifier);
        typeKeys(view, QStringLiteral("g"));
        EXPECT_EQ(activated.count(), 0);
        EXPECT_TRUE(view.isColumnHidden(RawData));
    }
    {
        // A wrong key resets the count; it does not count as a new first letter.
        LogViewWidget view;
        QSignalSpy activated(&view, &LogViewWidget::eggActivated);
        typeKeys(view, QStringLiteral("dedebug"));
        EXPECT_EQ(activated.count(), 0);
        typeKeys(view, QStringLiteral("dexdebug"));
        EXPECT_EQ(activated.count(), 1);
    }
}

TEST_F(LogInAWindowOfRows, ShiftSelectsAcrossWindowMovesAndCopiesAreBounded) {
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell = view.visualRect(model.index(row, Text));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, cell.center());
    };
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    click(2, Qt::NoModifier);
    view.scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_GT(model.windowStart(), 2u) << "row 2 has left the window";
    click(model.rowCount() - 1, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedCount(), 998u) << "rows 2 to 999";
    EXPECT_TRUE(view.selectedText().startsWith(model.fields(2).join('\t')));
    QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedCount(), 997u) << "shift with a key selects from there too";

    model.append(pollsAndAnswers(50'000));
    view.selectAll();
    QSignalSpy told(&view, &LogViewWidget::statusMessage);
    view.copySelection();
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), int(LogViewWidget::kCopyLimit));
    EXPECT_EQ(told.count(), 1) << "the user learns that the copy was cut";
}
