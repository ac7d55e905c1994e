#include <FrameDetail.h>
#include <LogViewWidget.h>
#include <SessionModel.h>

#include <gtest/gtest.h>

namespace {

velora_protocol::Frame frame(MessageType type, int address, std::vector<std::uint8_t> bytes) {
    const std::int64_t ns = 1'700'000'000'123'000'000;
    return velora_protocol::Frame::of(type, address, bytes,
                                      {velora_protocol::Timestamp::recorded(ns),
                                       velora_protocol::Timestamp::recorded(ns + 5'000'000)});
}

} // namespace

TEST(FrameDetail, FollowsTheCurrentRowWithTimesBytesFlagsAndCommandFields) {
    LogViewWidget view;
    FrameDetail detail(*view.session());
    QObject::connect(&view, &LogViewWidget::currentRecordChanged, &detail,
                     &FrameDetail::showRecord);
    // Loop 1 normal, loop 2 fire, tamper, groups 0 and 2; then a command to device 5: groups
    // 1 and 2, reset, loop 1 on, cancel alarm, outputs 1 and 3 on, output 8 off.
    view.session()->append({frame(mtLongAnswer, 3, {0x43, 3, 0x01, 0x09, 0x01, 0x05, 0, 0, 0, 0}),
                            frame(mtCommand, 5, {0x85, 0x06, 0x11, 0x85, 0x05, 0x80, 0, 0})});
    struct Case {
        int row;
        std::vector<const char*> shown;
        std::vector<const char*> absent;
    };
    const Case cases[] = {
        {0,
         {"Ответ: бит OK; тампер; шлейф 1 - норма; шлейф 2 - пожар", ".123",
          "Последний байт: ", ".128", "43 03 01 09 01 05", "бит OK (байт 0, бит 0)",
          "шлейф 2: пожар (байт 3, бит 3)", "тампер (байт 4, бит 0)", "групповые команды: 0, 2"},
         {"сброс от прибора", "шлейф 1: пожар", "Поля команды"}},
        {1,
         {"адрес: 5", "сброс: да", "отмена тревоги: да", "включить шлейфы: 1",
          "отключить шлейфы: нет", "включить выходы: 1, 3", "отключить выходы: 8",
          "групповые команды: 1, 2"},
         {"Биты ответа"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        view.setCurrentIndex(view.model()->index(c.row, SessionModel::TextColumn));
        const QString text = detail.text();
        for (const char* part : c.shown) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n"
                                                                << text.toStdString();
        }
        for (const char* part : c.absent) {
            EXPECT_FALSE(text.contains(QString::fromUtf8(part))) << part;
        }
    }
    view.clearLog();
    EXPECT_TRUE(detail.text().isEmpty());
}
