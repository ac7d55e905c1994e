#include <velora_session/SessionStore.h>

#include <velora_protocol/LineSpeed.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>

namespace {

// A record read back from the file: its bytes followed one another at the line's pace.
FrameRecord fromPiece(const velora_capture::Piece& piece) {
    FrameRecord record;
    record.wallNs = piece.time.wallNs;
    record.type = static_cast<std::uint8_t>(piece.type);
    record.address = static_cast<std::uint8_t>(piece.address);
    record.size = static_cast<std::uint8_t>(std::min(piece.size, sizeof record.data));
    std::copy(piece.data, piece.data + record.size, record.data);
    if (record.size > 1) {
        record.spanNs =
            static_cast<std::uint32_t>((record.size - 1) * velora_protocol::characterTimeNs());
    }
    return record;
}

// A name no other session of this or another process has.
std::string newFilePath(const std::string& directory) {
    static const std::string process = std::to_string(std::random_device{}());
    static std::atomic<int> sessions{0};
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    return directory + "/session-" + process + "-" + std::to_string(++sessions) + ".pcap";
}

} // namespace

SessionStore::SessionStore(std::string directory, std::size_t residentBlocks)
    : directory(std::move(directory))
    , residentLimit(std::max<std::size_t>(residentBlocks, 1)) {}

SessionStore::~SessionStore() {
    closeFile();
}

void SessionStore::clear() {
    closeFile();
    blocks.clear();
    frameKinds.clear();
    firstResident = 0;
    count = 0;
    gaps.clear();
    loadedEnding.clear();
}

void SessionStore::openFile() {
    filePath = newFilePath(directory);
    spill.start(filePath);
}

void SessionStore::closeFile() {
    for (ReadBack& slot : cache) {
        slot = ReadBack{};
    }
    reader.reset();
    if (!filePath.empty()) {
        spill.close();
        std::remove(filePath.c_str());
        filePath.clear();
    }
}

void SessionStore::beginRecord() {
    if (filePath.empty()) {
        openFile();
    }
    if (count % kBlockSize == 0) {
        blocks.emplace_back();
        spill.mark();
    }
}

void SessionStore::append(const velora_protocol::Frame& frame) {
    beginRecord();
    spill.write(frame);
    push(FrameRecord::of(frame));
}

void SessionStore::appendGap(std::int64_t startNs, std::int64_t endNs) {
    beginRecord();
    gaps[count] = {startNs, endNs};
    push(FrameRecord::gap(startNs));
}

void SessionStore::push(const FrameRecord& record) {
    Block& block = blocks.back();
    if (block.kinds.empty()) {
        block.kinds.reserve(kBlockSize);
        block.records.reserve(kBlockSize);
    }
    block.kinds.push_back(frameKinds.kindOf(record));
    block.records.push_back(record);
    ++count;
    if (count % kBlockSize == 0) {
        dropOldBlocks();
    }
}

// Whole blocks beyond the limit leave memory once the file holds them: block n is whole in
// the file when the writer has reached the mark of block n + 1.
void SessionStore::dropOldBlocks() {
    if (blocks.size() - firstResident <= residentLimit) {
        return;
    }
    const std::size_t reached = spill.marksReached();
    while (blocks.size() - firstResident > residentLimit && firstResident + 1 < reached) {
        std::vector<FrameRecord>().swap(blocks[firstResident++].records);
    }
}

void SessionStore::flush() {
    spill.drain();
    dropOldBlocks();
}

std::size_t SessionStore::blocksInMemory() const {
    return blocks.size() - firstResident;
}

const FrameRecord& SessionStore::record(std::uint64_t index) {
    const std::size_t block = index / kBlockSize;
    const std::vector<FrameRecord>& records =
        block >= firstResident ? blocks[block].records : readBack(block);
    return records[index % kBlockSize];
}

std::int64_t SessionStore::gapEnd(std::uint64_t index) const {
    const auto found = gaps.find(index);
    return found == gaps.end() ? 0 : found->second.second;
}

const std::vector<FrameRecord>& SessionStore::readBack(std::size_t block) {
    for (const ReadBack& slot : cache) {
        if (slot.block == block) {
            return slot.records;
        }
    }
    ReadBack& slot = cache[nextCacheSlot];
    nextCacheSlot = (nextCacheSlot + 1) % std::size(cache);
    slot.block = block;
    slot.records.assign(kBlockSize, FrameRecord{});
    if (!reader) {
        reader = std::make_unique<velora_capture::CaptureReader>();
        if (!reader->open(filePath)) {
            reader.reset();
            return slot.records;
        }
    }
    const std::uint64_t first = std::uint64_t(block) * kBlockSize;
    bool readable = reader->seek(spill.markOffset(block));
    velora_capture::Piece piece;
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        const auto gap = gaps.find(first + i);
        if (gap != gaps.end()) {
            slot.records[i] = FrameRecord::gap(gap->second.first);
        } else if (readable && (readable = reader->next(piece))) {
            slot.records[i] = fromPiece(piece);
        }
    }
    return slot.records;
}

bool SessionStore::save(const std::string& path, std::string& error,
                        const std::function<bool(std::uint64_t written)>& progress,
                        const std::vector<velora_protocol::Frame>& ending) {
    flush();
    velora_capture::CaptureWriter out;
    if (!out.open(path)) {
        error = out.errorText();
        return false;
    }
    // Frames that come in meanwhile are left for a later save.
    const std::uint64_t total = count;
    for (std::uint64_t i = 0; i < total; ++i) {
        if (progress && i % kProgressEvery == 0 && !progress(i)) {
            out.close();
            std::remove(path.c_str());
            error.clear();
            return false;
        }
        const FrameRecord& r = record(i);
        if (!r.isGap() && !out.write(r.frame())) {
            error = out.errorText();
            return false;
        }
    }
    for (const velora_protocol::Frame& frame : ending.empty() ? loadedEnding : ending) {
        if (!out.write(frame)) {
            error = out.errorText();
            return false;
        }
    }
    if (!out.close()) {
        error = out.errorText();
        return false;
    }
    return true;
}
