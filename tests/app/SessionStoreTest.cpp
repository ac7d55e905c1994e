#include <SessionModel.h>
#include <SessionStore.h>
#include <VisibleRows.h>

#include <velora_capture/CaptureReader.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

velora_protocol::Frame frameNumber(std::uint64_t i) {
    const auto time = velora_protocol::Timestamp::recorded(std::int64_t(1 + i) * 1'000'000);
    const auto address = std::uint8_t(1 + i % 126);
    return velora_protocol::Frame::of(mtQuery, address, std::vector<std::uint8_t>{address},
                                      {time, time});
}

} // namespace

// Beyond its window in memory the store reads its records back from its capture file; the
// gaps, which the file does not hold, keep their places. Saving writes every frame.
TEST(SessionStore, ReadsDroppedBlocksBackAndSavesTheWholeSession) {
    QTemporaryDir dir;
    SessionStore store(dir.path().toStdString(), 1);
    const std::uint64_t frames = 3 * SessionStore::kBlockSize + 17;
    const std::uint64_t gapAt = SessionStore::kBlockSize + 5;
    for (std::uint64_t i = 0; i < frames; ++i) {
        if (i == gapAt) {
            store.appendGap(7'000'000, 9'000'000);
        }
        store.append(frameNumber(i));
    }
    ASSERT_EQ(store.size(), frames + 1);
    EXPECT_LE(store.blocksInMemory(), 2u);
    EXPECT_FALSE(store.spillFailed());

    for (const std::uint64_t index : {std::uint64_t(0), gapAt - 1, gapAt, gapAt + 1,
                                      std::uint64_t(2 * SessionStore::kBlockSize), frames}) {
        SCOPED_TRACE(index);
        const FrameRecord& record = store.record(index);
        if (index == gapAt) {
            EXPECT_TRUE(record.isGap());
            EXPECT_EQ(record.wallNs, 7'000'000);
            EXPECT_EQ(store.gapEnd(index), 9'000'000);
            continue;
        }
        const auto expected = frameNumber(index > gapAt ? index - 1 : index);
        EXPECT_EQ(record.type, mtQuery);
        EXPECT_EQ(record.address, expected.address);
        EXPECT_EQ(store.address(index), expected.address);
        EXPECT_EQ(record.wallNs, expected.times.first.wallNs);
        ASSERT_EQ(record.size, 1);
        EXPECT_EQ(record.data[0], expected.data[0]);
    }

    const std::string saved = dir.filePath(QStringLiteral("saved.pcap")).toStdString();
    std::string error;
    ASSERT_TRUE(store.save(saved, error)) << error;
    velora_capture::CaptureReader reader;
    ASSERT_TRUE(reader.open(saved));
    velora_capture::Piece piece;
    std::uint64_t read = 0;
    while (reader.next(piece)) {
        EXPECT_EQ(piece.time.wallNs, frameNumber(read).times.first.wallNs);
        ++read;
    }
    EXPECT_EQ(read, frames);
    EXPECT_FALSE(reader.damaged());

    const std::string spill = store.spillPath();
    store.clear();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(spill))) << "a session's file goes with it";
}

TEST(SessionStore, AFileThatCannotBeWrittenKeepsTheSessionInMemory) {
    SessionStore store("/proc/velora-no-such-directory", 1);
    for (std::uint64_t i = 0; i < 3 * SessionStore::kBlockSize; ++i) {
        store.append(frameNumber(i));
    }
    EXPECT_TRUE(store.spillFailed());
    EXPECT_FALSE(store.spillError().empty());
    EXPECT_EQ(store.blocksInMemory(), 3u);
    EXPECT_EQ(store.record(5).address, frameNumber(5).address);
}

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
    batch.push_back(frameNumber(41)); // a poll of address 42, the last record
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

TEST(VisibleRows, RowsAndRecordsMapBothWays) {
    for (const double share : {0.0, 0.01, 0.5, 1.0}) {
        SCOPED_TRACE(share);
        std::mt19937 rng(3);
        std::bernoulli_distribution shown(share);
        VisibleRows rows;
        std::vector<std::uint64_t> expected;
        const std::uint64_t records = 3 * 4096 + 77;
        for (std::uint64_t i = 0; i < records; ++i) {
            const bool on = shown(rng);
            rows.append(on);
            if (on) {
                expected.push_back(i);
            }
        }
        ASSERT_EQ(rows.rowCount(), expected.size());
        for (std::uint64_t row = 0; row < expected.size(); ++row) {
            ASSERT_EQ(rows.recordAt(row), expected[row]) << row;
        }
        for (std::uint64_t record = 0; record <= records; record += 37) {
            const auto next = std::lower_bound(expected.begin(), expected.end(), record);
            ASSERT_EQ(rows.rowAtOrAfter(record), std::uint64_t(next - expected.begin())) << record;
        }
    }
}
