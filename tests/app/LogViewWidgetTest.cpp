#include <LogViewWidget.h>

#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

enum Column { Marker = 0, RawData = 1, Address = 2, Text = 3 };

QString cell(const LogViewWidget& view, int row, int column) {
    return view.item(row, column)->text();
}

QVariant background(const LogViewWidget& view, int row, int column) {
    return view.item(row, column)->data(Qt::BackgroundRole);
}

void typeKeys(LogViewWidget& view, const QString& keys,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (const QChar c : keys) {
        QTest::keyClick(&view, Qt::Key(c.toUpper().unicode()), modifiers);
    }
}

} // namespace

TEST(LogViewWidget, StartsWithFourColumnsAndTheRawDataColumnHidden) {
    LogViewWidget view;
    ASSERT_EQ(view.columnCount(), 4);
    EXPECT_EQ(view.horizontalHeaderItem(RawData)->text(), QString::fromUtf8("Данные"));
    EXPECT_EQ(view.horizontalHeaderItem(Address)->text(), QString::fromUtf8("Адрес"));
    EXPECT_EQ(view.horizontalHeaderItem(Text)->text(), QString::fromUtf8("Событие"));
    EXPECT_TRUE(view.isColumnHidden(RawData));
    EXPECT_FALSE(view.verticalHeader()->isVisible());
    EXPECT_EQ(view.columnWidth(Marker), 17);
    EXPECT_EQ(view.columnWidth(Address), 50);
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
        EXPECT_EQ(cell(view, row, RawData), QString()) << "raw data before the switch";
        EXPECT_EQ(view.item(row, Marker)->textAlignment(), int(Qt::AlignCenter));
        EXPECT_EQ(view.item(row, Address)->textAlignment(), int(Qt::AlignCenter));
        EXPECT_EQ(view.rowHeight(row), 17);
        for (const int column : {Marker, RawData, Address, Text}) {
            const QVariant brush = background(view, row, column);
            if (c.colour.isValid()) {
                ASSERT_TRUE(brush.canConvert<QBrush>());
                EXPECT_EQ(brush.value<QBrush>().color(), c.colour);
                EXPECT_EQ(brush.value<QBrush>().style(), Qt::SolidPattern);
            } else {
                EXPECT_FALSE(brush.isValid());
            }
        }
    }
}

TEST(LogViewWidget, KeepsTheNewest65536RowsDroppingTheOldest) {
    LogViewWidget view;
    for (int i = 0; i < LogViewWidget::MaxRows; ++i) {
        view.addMessage(1, 1, QString::number(i), QString());
    }
    ASSERT_EQ(view.rowCount(), 65536);
    EXPECT_EQ(cell(view, 0, Text), QStringLiteral("0"));

    view.addMessage(7, 0, QStringLiteral("newest"), QString());
    EXPECT_EQ(view.rowCount(), 65536);
    EXPECT_EQ(cell(view, 0, Text), QStringLiteral("1"));
    EXPECT_EQ(cell(view, 65535, Text), QStringLiteral("newest"));

    view.clearLog();
    EXPECT_EQ(view.rowCount(), 0);
}

TEST(LogViewWidget, FollowsTheNewestRowEvenAfterTheUserScrolledAway) {
    LogViewWidget view;
    view.resize(400, 200);
    view.show();
    for (int i = 0; i < 100; ++i) {
        view.addMessage(1, 1, QString::number(i), QString());
    }
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));

    bar->setValue(0);
    view.addMessage(1, 1, QStringLiteral("one more"), QString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }));
}

// Messages arriving one by one, each in its own pass of the event loop as queued
// deliveries do, must not repaint the table once per row.
TEST(LogViewWidget, CoalescesRepaintsOfMessagesArrivingOneByOne) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    LogViewWidget view;
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.viewport()->installEventFilter(&counter);

    QElapsedTimer clock;
    clock.start();
    const int messages = 400;
    for (int i = 0; i < messages; ++i) {
        view.addMessage(1 + i % 7, i % 127, QString::number(i), QString());
        QCoreApplication::processEvents();
    }
    QTest::qWait(2 * LogViewWidget::RefreshIntervalMs);
    const qint64 elapsed = clock.elapsed();

    EXPECT_GT(counter.paints, 0) << "the table is painted at all";
    EXPECT_LE(counter.paints, elapsed / LogViewWidget::RefreshIntervalMs + 3)
        << messages << " messages in " << elapsed << " ms";
    EXPECT_EQ(view.rowCount(), messages);
}

TEST(LogViewWidget, TypingDebugShowsTheRawDataColumnOnce) {
    LogViewWidget view;
    QSignalSpy activated(&view, &LogViewWidget::eggActivated);
    view.addMessage(1, 5, QStringLiteral("before"), QStringLiteral("05"));

    typeKeys(view, QStringLiteral("debu"));
    EXPECT_EQ(activated.count(), 0);
    EXPECT_TRUE(view.isColumnHidden(RawData));
    typeKeys(view, QStringLiteral("g"));
    EXPECT_EQ(activated.count(), 1);
    EXPECT_FALSE(view.isColumnHidden(RawData));

    typeKeys(view, QStringLiteral("debug"));
    EXPECT_EQ(activated.count(), 1) << "the switch cannot be completed twice";

    view.addMessage(5, 9, QStringLiteral("after"), QStringLiteral("89 00 10"));
    EXPECT_EQ(cell(view, 0, RawData), QString()) << "older rows keep their empty cell";
    EXPECT_EQ(cell(view, 1, RawData), QStringLiteral("89 00 10"));
    EXPECT_EQ(view.item(1, RawData)->font().family(), QStringLiteral("Courier"));

    view.clearLog();
    EXPECT_FALSE(view.isColumnHidden(RawData)) << "clearing keeps the column shown";
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
