#include <velora_decoding/AnswerDecoder.h>
#include <velora_events/EventListener.h>

#include <config_velora_tq4/Command.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct Message {
    int type = 0;
    int address = 0;
    QString text;
    QString rawData;

    bool operator==(const Message& other) const {
        return type == other.type && address == other.address && text == other.text &&
               rawData == other.rawData;
    }
};

std::ostream& operator<<(std::ostream& out, const Message& m) {
    return out << m.type << '@' << m.address << " \"" << m.text.toStdString() << "\" ["
               << m.rawData.toStdString() << ']';
}

std::vector<Message> messages(const QSignalSpy& spy) {
    std::vector<Message> all;
    for (const QList<QVariant>& args : spy) {
        all.push_back({args[0].toInt(), args[1].toInt(), args[2].toString(), args[3].toString()});
    }
    return all;
}

void feed(velora_listener::ProtocolParser& parser, const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t b : bytes) {
        parser.feed(b);
    }
}

// The message an event listener must emit for what the parser reports as `event`.
Message expectedMessage(const velora_traffic::Event& event, bool raw) {
    const QString hex = QString::fromStdString(EventListener::toHexString(event.bytes));
    Message m{event.type, event.address, {}, raw ? hex : QString()};
    switch (event.type) {
    case mtQuery:
        m.text = QStringLiteral("Опрос");
        break;
    case mtShortAnswer:
        m.text = QStringLiteral("Ответ: нет данных");
        break;
    case mtLongAnswer:
        m.text = QString::fromStdWString(AnswerDecoder(event.bytes).text());
        break;
    case mtCommand:
        m.text = QString::fromStdWString(config_velora_tq4::Command(event.bytes, false).text(true));
        break;
    case mtTrash:
        m.text = QStringLiteral("Байты: ") + hex;
        m.rawData = hex;
        break;
    default:
        m.text = QStringLiteral("Подтверждение");
        break;
    }
    return m;
}

class EventListenerTest : public ::testing::Test {
protected:
    EventListener listener;
    QSignalSpy spy{&listener, &EventListener::newLogMessage};
    velora_listener::ProtocolParser parser{&listener};
};

} // namespace

TEST(HexFormatting, BytesAndSequences) {
    EXPECT_EQ(EventListener::toHexByte(0x0A), "0A");
    EXPECT_EQ(EventListener::toHexByte(0xFF), "FF");
    EXPECT_EQ(EventListener::toHexByte(0), "00");
    EXPECT_EQ(EventListener::toHexString({0x01, 0xAB, 0x0F}), "01 AB 0F");
    EXPECT_EQ(EventListener::toHexString({0x5C}), "5C");
    EXPECT_EQ(EventListener::toHexString({}), "");
}

TEST_F(EventListenerTest, PollsOutsideTheAddressRangeGiveNothing) {
    for (int address : {0, 127, 255}) {
        listener.onFrame(
            velora_protocol::Frame::of(mtQuery, address, {static_cast<std::uint8_t>(address)}));
    }
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(EventListenerTest, RawModeAddsTheBytes) {
    feed(parser, {0x05, 0x40});
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(messages(spy)[0], (Message{1, 5, QStringLiteral("Опрос"), QString()}));
    EXPECT_EQ(messages(spy)[1], (Message{2, 5, QStringLiteral("Ответ: нет данных"), QString()}));
    EXPECT_FALSE(listener.isSendingRawData());

    spy.clear();
    listener.enableSendRawData();
    feed(parser, {0x05, 0x48});
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(messages(spy)[0].rawData, QStringLiteral("05"));
    EXPECT_EQ(messages(spy)[1].rawData, QStringLiteral("48"));
}

TEST_F(EventListenerTest, TrashAlwaysCarriesItsBytes) {
    listener.onFrame(velora_protocol::Frame::of(mtTrash, 0, {0x00, 0x7F, 0xFF}));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(messages(spy)[0],
              (Message{7, 0, QStringLiteral("Байты: 00 7F FF"), QStringLiteral("00 7F FF")}));
}

TEST_F(EventListenerTest, FramesAndAcknowledgementsInRawMode) {
    listener.enableSendRawData();
    velora_traffic::TrafficGenerator traffic;
    ASSERT_TRUE(traffic.longAnswer(9, 0x43, {0x01, 0x09, 0x0C, 0, 0, 0}, true));
    ASSERT_TRUE(traffic.command(9, {0x00, 0x11, 0x00, 0x00, 0x00}, true));
    feed(parser, traffic.bytes());
    const std::vector<Message> got = messages(spy);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[1].type, mtLongAnswer);
    EXPECT_EQ(got[1].text, QStringLiteral("Ответ: бит OK; шлейф 1 - норма; шлейф 2 - пожар; "
                                          "л.с. 3 - норма; л.с. 4 - норма."));
    EXPECT_EQ(got[1].rawData.size(), 29);
    EXPECT_EQ(got[2], (Message{4, 9, QStringLiteral("Подтверждение"), QStringLiteral("70")}));
    EXPECT_EQ(got[3].type, mtCommand);
    EXPECT_EQ(got[3].address, 9);
    EXPECT_EQ(got[3].text, QStringLiteral("Команда: сброс; включить шлейф 1."));
    EXPECT_EQ(got[3].rawData.size(), 23);
    EXPECT_TRUE(got[3].rawData.startsWith(QStringLiteral("89 00 11 00 00 00 ")));
    EXPECT_EQ(got[4], (Message{6, 9, QStringLiteral("Подтверждение"), QStringLiteral("50")}));
}

TEST_F(EventListenerTest, FilterHidesByTypeAndAddressButNeverTrashByAddress) {
    velora_traffic::TrafficGenerator traffic;
    ASSERT_TRUE(traffic.longAnswer(7, 0x42, {0, 0, 0, 0, 0, 0}, true));
    ASSERT_TRUE(traffic.command(8, {0, 0, 0, 0, 0}, true));
    traffic.noise({0x00});

    listener.filter().setTypes(0x04, false);
    feed(parser, traffic.bytes());
    parser.flush();
    std::vector<int> types;
    for (const Message& m : messages(spy)) {
        types.push_back(m.type);
    }
    EXPECT_EQ(types, (std::vector<int>{1, 4, 5, 6, 7}));

    spy.clear();
    listener.filter().setTypes(0x04, true);
    listener.filter().setAddress(7, false);
    listener.filter().setAddress(8, false);
    feed(parser, traffic.bytes());
    parser.flush();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(messages(spy)[0].type, mtTrash);
}

TEST_F(EventListenerTest, ConnectionLostIsSignalled) {
    QSignalSpy lost(&listener, &EventListener::disconnectDetected);
    listener.filter().setTypes(0x7f, false);
    listener.onConnectionLost();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(spy.count(), 0);
}

// Random traffic with a random filter: every report the parser makes becomes the
// expected message, or nothing when the filter hides it. The trailing byte may add
// messages at the end beyond those of the generated stream.
TEST_F(EventListenerTest, GeneratedTrafficThroughTheParser) {
    std::mt19937 rng(44);
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        spy.clear();
        velora_listener::ProtocolParser freshParser(&listener);
        const auto traffic = velora_traffic::TrafficGenerator::random(seed, 300);
        const bool openFilter = seed % 3 == 0;
        listener.filter().setTypes(0x7f, true);
        listener.filter().setAllAddresses(true);
        if (!openFilter) {
            listener.filter().setTypes(static_cast<int>(rng() & 0x7f), false);
            for (int i = 0; i < 40; ++i) {
                listener.filter().setAddress(static_cast<int>(rng() % 127), false);
            }
        }
        if (seed == 10) {
            listener.enableSendRawData();
        }
        // A trailing noise byte settles the last frame; flush hands over the trash.
        feed(freshParser, traffic.bytes());
        freshParser.feed(0x00);
        freshParser.flush();

        std::vector<Message> expected;
        for (const auto& event : traffic.events()) {
            if (listener.filter().passes(event.type, event.address)) {
                expected.push_back(expectedMessage(event, listener.isSendingRawData()));
            }
        }
        const std::vector<Message> got = messages(spy);
        ASSERT_GE(got.size(), expected.size()) << "seed " << seed;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(got[i], expected[i]) << "seed " << seed << ", message " << i;
        }
        if (openFilter) {
            EXPECT_GT(expected.size(), 300u);
        }
    }
}
