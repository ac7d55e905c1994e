// The user changes the filter and switches raw data on while the reader thread decodes a
// busy line: every message that arrives must be whole and agree with a filter state the
// user set at some time; the messages reach the user-interface thread queued.
#include <velora_events/EventListener.h>
#include <velora_protocol/MessageType.h>

#include <test_support/PseudoTerminal.h>
#include <velora_listener/VeloraListener.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Received {
    int messages = 0;
    int withRawData = 0;
    int polls = 0;
    int hiddenAddress = 0;
};

TEST(FilterWhileListening, MessagesStayWholeWhileTheFilterChanges) {
    int argc = 1;
    char name[] = "listener_threads_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    pseudo_terminal::PseudoTerminal line;
    EventListener events;
    velora_listener::VeloraListener listener(&events);
    ASSERT_TRUE(listener.open(line.slavePath())) << listener.lastErrorText();

    Received received;
    QObject receiver;
    QObject::connect(
        &events, &EventListener::newLogMessage, &receiver,
        [&received](int type, int address, const QString& text, const QString& rawData) {
            ++received.messages;
            EXPECT_TRUE(type >= mtQuery && type <= mtTrash) << type;
            EXPECT_FALSE(text.isEmpty());
            received.withRawData += rawData.isEmpty() ? 0 : 1;
            received.polls += type == mtQuery ? 1 : 0;
            received.hiddenAddress += address == 7 ? 1 : 0;
        },
        Qt::QueuedConnection);

    events.filter().setAddress(7, false);
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        const auto traffic = velora_traffic::TrafficGenerator::random(3, 3000).bytes();
        while (writing) {
            line.write(traffic);
        }
    });
    listener.start();

    // Polls and address 9 switched off and on, address 7 hidden throughout, raw data
    // switched on halfway.
    EventFilter& filter = events.filter();
    const auto end = std::chrono::steady_clock::now() + 2s;
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        filter.setTypes(0x01, round % 2 == 0);
        filter.setAddress(9, round % 3 == 0);
        if (round == 200) {
            events.enableSendRawData();
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(1ms);
    }
    writing = false; // while the reader still drains the line, so that the writer can end
    writer.join();
    listener.stop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(listener.close());

    EXPECT_GT(received.messages, 1000);
    EXPECT_GT(received.polls, 0);
    EXPECT_GT(received.withRawData, 0);
    EXPECT_LT(received.withRawData, received.messages)
        << "messages before raw mode carry no raw data";
    EXPECT_EQ(received.hiddenAddress, 0);
}

} // namespace
