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
