#include <ConnectDialog.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Port lists that a test can change while the dialog is open.
struct FakePorts {
    std::vector<std::string> serial;
    std::vector<std::string> converters;
};

PortDiscovery discoveryOf(const std::shared_ptr<FakePorts>& ports) {
    return {[ports] { return ports->serial; }, [ports] { return ports->converters; }};
}

struct DialogView {
    explicit DialogView(ConnectDialog& dialog)
        : combo(dialog.findChild<QComboBox*>(QStringLiteral("portName")))
        , message(dialog.findChild<QLabel*>(QStringLiteral("message")))
        , ok(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok))
        , refresh(dialog.findChild<QPushButton*>(QStringLiteral("updatePortList"))) {}

    QStringList items() const {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i) {
            texts << combo->itemText(i);
        }
        return texts;
    }

    QComboBox* combo;
    QLabel* message;
    QPushButton* ok;
    QPushButton* refresh;
};

const QString noConverter = QString::fromUtf8("Преобразователь USB-RS485 не обнаружен.");

QString converterOn(const char* port) {
    return QString::fromUtf8("Преобразователь USB-RS485 подключён к порту ") +
           QString::fromLatin1(port) + ".";
}

} // namespace

TEST(ConnectDialog, ListsAndPreselectsTheConverterPortFirst) {
    auto ports = std::make_shared<FakePorts>(FakePorts{{"COM1", "COM4"}, {"COM4"}});
    ConnectDialog dialog(nullptr, discoveryOf(ports));
    DialogView view(dialog);
    EXPECT_EQ(view.items(), (QStringList{"COM4", "COM1"}));
    EXPECT_EQ(dialog.portName(), QStringLiteral("COM4"));
    EXPECT_EQ(view.message->text(), converterOn("COM4"));
    EXPECT_TRUE(view.ok->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Подключение"));
}

TEST(ConnectDialog, WithoutConverterTheFirstPortIsSelected) {
    auto ports = std::make_shared<FakePorts>(FakePorts{{"COM1"}, {}});
    ConnectDialog dialog(nullptr, discoveryOf(ports));
    DialogView view(dialog);
    EXPECT_EQ(dialog.portName(), QStringLiteral("COM1"));
    EXPECT_EQ(view.message->text(), noConverter);
    EXPECT_TRUE(view.ok->isEnabled());
}

TEST(ConnectDialog, OnlyTheFirstOfTwoConvertersIsNamed) {
    auto ports = std::make_shared<FakePorts>(FakePorts{{"COM1", "COM3", "COM5"}, {"COM5", "COM3"}});
    ConnectDialog dialog(nullptr, discoveryOf(ports));
    EXPECT_EQ(dialog.portName(), QStringLiteral("COM5"));
    EXPECT_EQ(DialogView(dialog).message->text(), converterOn("COM5"));
}

TEST(ConnectDialog, RefreshRepeatsDiscoveryAndDisablesOkWithoutPorts) {
    auto ports = std::make_shared<FakePorts>(FakePorts{{"ttyS0", "ttyUSB0"}, {"ttyUSB0"}});
    ConnectDialog dialog(nullptr, discoveryOf(ports));
    DialogView view(dialog);
    view.combo->setCurrentIndex(0);

    *ports = {{"ttyS0", "ttyUSB0", "ttyUSB1"}, {"ttyUSB1"}};
    QTest::mouseClick(view.refresh, Qt::LeftButton);
    EXPECT_EQ(view.items().size(), 3);
    EXPECT_EQ(dialog.portName(), QStringLiteral("ttyUSB1")) << "the earlier choice is lost";

    *ports = {};
    QTest::mouseClick(view.refresh, Qt::LeftButton);
    EXPECT_EQ(view.combo->count(), 0);
    EXPECT_EQ(dialog.portName(), QString());
    EXPECT_FALSE(view.ok->isEnabled());
    EXPECT_EQ(view.message->text(), noConverter);
}

// The port box takes a typed device path; OK follows whether it holds a name.
TEST(ConnectDialog, TypedPortNameIsAcceptedWhenNotEmpty) {
    auto ports = std::make_shared<FakePorts>();
    ConnectDialog dialog(nullptr, discoveryOf(ports));
    DialogView view(dialog);
    ASSERT_FALSE(view.ok->isEnabled());

    QTest::keyClicks(view.combo, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(dialog.portName(), QStringLiteral("/dev/pts/7"));
    EXPECT_TRUE(view.ok->isEnabled());
    EXPECT_EQ(view.combo->count(), 0) << "typing does not add to the list";

    view.combo->setEditText(QStringLiteral("  "));
    EXPECT_FALSE(view.ok->isEnabled());
}

TEST(ConnectDialog, ConverterMissingFromThePortListLeavesNoPortChosen) {
    auto ports = std::make_shared<FakePorts>(FakePorts{{"COM1"}, {"com1"}});
    ConnectDialog dialog(nullptr, discoveryOf(ports));
    EXPECT_EQ(dialog.portName(), QString()) << "names are compared case-sensitively";
    EXPECT_FALSE(DialogView(dialog).ok->isEnabled());
}

// The port used last time wins over the converter while it is listed; the dialog is as wide
// as its longest port name and its title need.
TEST(ConnectDialog, PreselectsTheLastPortAndShowsWholePaths) {
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    auto ports = std::make_shared<FakePorts>(FakePorts{{"/dev/ttyS0", byId}, {"/dev/ttyS0"}});
    EXPECT_EQ(ConnectDialog(nullptr, discoveryOf(ports), QString::fromStdString(byId)).portName(),
              QString::fromStdString(byId));
    ConnectDialog dialog(nullptr, discoveryOf(ports), QStringLiteral("/dev/ttyUSB9"));
    EXPECT_EQ(dialog.portName(), QStringLiteral("/dev/ttyS0"));

    dialog.show();
    const QComboBox* combo = DialogView(dialog).combo;
    EXPECT_GT(combo->width(), combo->fontMetrics().horizontalAdvance(QString::fromStdString(byId)));
    EXPECT_GT(dialog.width(), dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) +
                                  4 * dialog.fontMetrics().height());
}
