#pragma once

#include <velora_session/FrameKinds.h>
#include <velora_session/FrameRecord.h>
#include <velora_session/SpillWriter.h>

#include <velora_capture/CaptureReader.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Every frame of a session, in arrival order. Records are kept in blocks; every frame also
// goes to the session's own capture file, so that beyond a bounded number of blocks in
// memory the oldest are dropped and read back from that file when asked for. The kind of
// every record (and so its type and address) stays in memory, so that a filter or a search
// runs over the whole session without reading the file. The file is written on a thread of
// its own: a block leaves memory only once the file holds it.
class SessionStore {
public:
    static constexpr std::size_t kBlockSize = 4096;
    // How often save() reports its progress, in records.
    static constexpr std::uint64_t kProgressEvery = 8192;
    static constexpr std::size_t kDefaultResidentBlocks = 256; // 1 Mi records, 32 MiB

    // The capture file of a session is created in `directory` and removed with the session.
    explicit SessionStore(std::string directory,
                          std::size_t residentBlocks = kDefaultResidentBlocks);
    ~SessionStore();

    SessionStore(const SessionStore&) = delete;
    SessionStore& operator=(const SessionStore&) = delete;

    // Forgets everything and starts an empty session.
    void clear();
    void append(const velora_protocol::Frame& frame);
    // A pause in reception from startNs to endNs.
    void appendGap(std::int64_t startNs, std::int64_t endNs);

    std::uint64_t size() const { return count; }
    bool empty() const { return count == 0; }
    // The record's kind, type (FrameRecord::kGap for a gap) and address, from memory.
    FrameKinds::Kind kind(std::uint64_t index) const {
        return blocks[index / kBlockSize].kinds[index % kBlockSize];
    }
    const FrameKinds& kinds() const { return frameKinds; }
    int type(std::uint64_t index) const { return frameKinds.type(kind(index)); }
    int address(std::uint64_t index) const { return frameKinds.address(kind(index)); }
    // The record, read back from the file if it is no longer in memory.
    const FrameRecord& record(std::uint64_t index);
    // When the gap at `index` ended.
    std::int64_t gapEnd(std::uint64_t index) const;

    // Waits until the session's file holds every frame so far, and lets the blocks it now
    // holds leave memory.
    void flush();
    // Writes the whole session, gaps left out, as a capture file. `progress`, when given,
    // hears every few thousand records how many are written; false from it stops the
    // writing and removes the file (false returned, `error` empty). `ending` follows the
    // session's frames: what the parser of a line still being read holds; without it, the
    // ending the session was given.
    bool save(const std::string& path, std::string& error,
              const std::function<bool(std::uint64_t written)>& progress = {},
              const std::vector<velora_protocol::Frame>& ending = {});
    // The bytes a loaded capture ended with that no frame took; forgotten by clear().
    void setEnding(std::vector<velora_protocol::Frame> frames) { loadedEnding = std::move(frames); }

    // The file could not take more frames (a full disk): from then on the session stays in
    // memory. spillError() says why.
    bool spillFailed() const { return spill.failed(); }
    std::string spillError() const { return spill.errorText(); }
    const std::string& spillPath() const { return filePath; }
    std::size_t blocksInMemory() const;

private:
    struct Block {
        std::vector<FrameKinds::Kind> kinds; // of every record
        std::vector<FrameRecord> records;    // empty once dropped from memory
    };
    struct ReadBack {
        std::size_t block = SIZE_MAX;
        std::vector<FrameRecord> records;
    };

    void beginRecord();
    void push(const FrameRecord& record);
    void dropOldBlocks();
    const std::vector<FrameRecord>& readBack(std::size_t block);
    void openFile();
    void closeFile();

    std::string directory;
    std::size_t residentLimit;
    std::vector<Block> blocks;
    FrameKinds frameKinds;
    std::size_t firstResident = 0;
    std::uint64_t count = 0;
    std::map<std::uint64_t, std::pair<std::int64_t, std::int64_t>> gaps; // start, end
    std::vector<velora_protocol::Frame> loadedEnding;

    std::string filePath;
    // Marks the start of every block: mark n, block n.
    SpillWriter spill;
    std::unique_ptr<velora_capture::CaptureReader> reader;
    ReadBack cache[4];
    std::size_t nextCacheSlot = 0;
};
