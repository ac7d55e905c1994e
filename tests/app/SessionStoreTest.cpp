#include <SessionModel.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

// A record keeps the number of its frame's kind; once the numbers are used up, new frames
// keep their type and address and are still found by their bytes and their text.
TEST(SessionStore, FramesBeyondTheLastKindKeepTypeAddressAndAreFound) {
    QTemporaryDir dir;
    SessionModel model(nullptr, dir.path());
    const std::uint32_t frames = 70'000;
    std::vector<velora_protocol::Frame> batch;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto time = velora_protocol::Timestamp::recorded(std::int64_t(1 + i) * 1'000'000);
        const std::vector<std::uint8_t> bytes{std::uint8_t(i >> 16), std::uint8_t(i >> 8),
                                              std::uint8_t(i), 0xEE};
        batch.push_back(velora_protocol::Frame::of(mtTrash, 0, bytes, {time, time}));
    }
    const auto last = velora_protocol::Timestamp::recorded(std::int64_t(frames + 1) * 1'000'000);
    batch.push_back(velora_protocol::Frame::of(mtQuery, 42, std::vector<std::uint8_t>{42},
                                               {last, last})); // the last record
    model.append(batch);
    const SessionStore& store = model.store();
    ASSERT_EQ(store.kinds().count(), 65'536u);
    for (const std::uint64_t index : {0u, 5u, 63'231u, 63'232u, 69'999u}) {
        EXPECT_EQ(store.type(index), mtTrash) << index;
        EXPECT_EQ(store.address(index), 0) << index;
    }
    EXPECT_EQ(store.type(frames), mtQuery);
    EXPECT_EQ(store.address(frames), 42);

    struct Case {
        const char* query;
        std::int64_t from;
        bool forward;
        std::int64_t row;
    };
    const Case cases[] = {
        {"00 00 05", 10, true, 5},              // a kind, found after wrapping
        {"01 0F 00 EE", 0, true, 69'376},       // beyond the last kind
        {"01 0F 00 EE", 69'376, false, 69'376}, // the only hit, found again all round
        {"Опрос", 0, false, frames},            // the text of a kind, backwards
        {"Байты: 01 10 FF EE", 3, true, 69'887},
        {"Байты: 01 11 70", 3, true, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(model.find(QString::fromUtf8(c.query), c.from, c.forward), c.row) << c.query;
    }
}
