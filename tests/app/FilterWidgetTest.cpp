#include <FilterWidget.h>
#include <velora_events/EventListener.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QListWidget* devices(FilterWidget& panel) {
    return panel.findChild<QListWidget*>(QStringLiteral("devices"));
}

void click(FilterWidget& panel, const char* button) {
    QTest::mouseClick(panel.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

} // namespace

TEST(FilterWidget, ListsAddresses1To127AllChecked) {
    FilterWidget panel;
    QListWidget* list = devices(panel);
    ASSERT_EQ(list->count(), 127);
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        EXPECT_EQ(item->text(), QString::fromUtf8("адрес ") + QString::number(row + 1));
        EXPECT_EQ(item->data(Qt::UserRole).toInt(), row + 1);
        EXPECT_EQ(item->checkState(), Qt::Checked);
        EXPECT_EQ(item->flags(), Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    }
}

TEST(FilterWidget, EachTypeBoxSendsTheMaskOfItsGroup) {
    const std::pair<const char*, int> boxes[] = {{"tQuery", 0x01},
                                                 {"tShortAnswer", 0x02},
                                                 {"tLongAnswer", 0x0c},
                                                 {"tCommand", 0x30},
                                                 {"tTrash", 0x40}};
    FilterWidget panel;
    QSignalSpy spy(&panel, &FilterWidget::typesChanged);
    for (const auto& [name, mask] : boxes) {
        QCheckBox* box = panel.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_TRUE(box) << name;
        EXPECT_TRUE(box->isChecked()) << name;
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(box, Qt::LeftButton);
        ASSERT_EQ(spy.count(), 2) << name;
        EXPECT_EQ(spy.at(0), (QVariantList{mask, false})) << name;
        EXPECT_EQ(spy.at(1), (QVariantList{mask, true})) << name;
        spy.clear();
    }
}

TEST(FilterWidget, SelectAllAndClearAllReportOnceNotPerItem) {
    FilterWidget panel;
    QSignalSpy single(&panel, &FilterWidget::addressChanged);
    QSignalSpy all(&panel, &FilterWidget::allAddressesChanged);

    click(panel, "clearAll");
    ASSERT_EQ(all.count(), 1);
    EXPECT_EQ(all.takeFirst(), QVariantList{false});
    EXPECT_EQ(devices(panel)->item(126)->checkState(), Qt::Unchecked);

    click(panel, "selectAll");
    ASSERT_EQ(all.count(), 1);
    EXPECT_EQ(all.takeFirst(), QVariantList{true});
    EXPECT_EQ(devices(panel)->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(single.count(), 0);

    // The item signals are connected again afterwards.
    devices(panel)->item(4)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(single.count(), 1);
    EXPECT_EQ(single.takeFirst(), (QVariantList{5, false}));
}

// The panel drives the event listener's filter: after "clear all" and checking address 5
// only address 5 and bytes that fit no frame get through.
TEST(FilterWidget, DrivesTheEventListenersFilter) {
    FilterWidget panel;
    EventListener listener;
    listener.connectFilterWidget(&panel);
    QSignalSpy messages(&listener, &EventListener::newLogMessage);

    click(panel, "clearAll");
    devices(panel)->item(4)->setCheckState(Qt::Checked);
    for (const int address : {4, 5, 6, 127}) {
        listener.onFrame(
            velora_protocol::Frame::of(mtQuery, address, {static_cast<std::uint8_t>(address)}));
    }
    listener.onFrame(velora_protocol::Frame::of(mtTrash, 0, {0x00, 0x80}));
    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.at(0).at(1).toInt(), 5);
    EXPECT_EQ(messages.at(1).at(0).toInt(), 7);

    messages.clear();
    click(panel, "selectAll");
    QTest::mouseClick(panel.findChild<QCheckBox*>(QStringLiteral("tQuery")), Qt::LeftButton);
    listener.onFrame(velora_protocol::Frame::of(mtQuery, 6, {6}));
    listener.onFrame(velora_protocol::Frame::of(mtShortAnswer, 6, {0x40}));
    ASSERT_EQ(messages.count(), 1) << "polls hidden, answers shown";
    EXPECT_EQ(messages.at(0).at(0).toInt(), 2);

    messages.clear();
    devices(panel)->item(126)->setCheckState(Qt::Checked);
    QTest::mouseClick(panel.findChild<QCheckBox*>(QStringLiteral("tQuery")), Qt::LeftButton);
    listener.onFrame(velora_protocol::Frame::of(mtQuery, 127, {127}));
    EXPECT_EQ(messages.count(), 0) << "address 127 is never shown";
}
