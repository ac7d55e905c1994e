#pragma once

#include "FuzzCheck.h"

#include <velora_decoding/FrameText.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_session/FrameInbox.h>
#include <velora_session/SessionStore.h>
#include <velora_traffic/TrafficGenerator.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The desktop program's path without its window: the parser's frames through the inbox into
// the session, and the log's text of every record, checked against the parser's reports.
class SessionPath {
public:
    SessionPath()
        : store((std::filesystem::temp_directory_path() / "velora-fuzz").string()) {}

    void run(const std::uint8_t* data, std::size_t size,
             const std::vector<velora_traffic::Event>& events) {
        velora_listener::ProtocolParser parser(&inbox);
        for (std::size_t i = 0; i < size; ++i) {
            parser.feed(data[i]);
        }
        parser.flush();
        std::vector<velora_protocol::Frame> batch;
        inbox.take(batch);
        for (const velora_protocol::Frame& frame : batch) {
            store.append(frame);
        }
        FUZZ_CHECK(store.size() == events.size());
        for (std::uint64_t i = 0; i < store.size() && i < events.size(); ++i) {
            check(i, events[i]);
        }
        // The session's file and its writer thread end with the input, so that the leak check
        // after each input sees what this input left behind, not a writer still at work.
        store.clear();
    }

private:
    // The text the log shows: decoded once per kind of frame.
    std::string text(std::uint64_t index) {
        const FrameKinds::Kind kind = store.kind(index);
        return velora_decoding::frameText(FrameKinds::hasFrame(kind)
                                              ? store.kinds().frame(kind).frame()
                                              : store.record(index).frame());
    }

    void check(std::uint64_t index, const velora_traffic::Event& event) {
        const FrameRecord& record = store.record(index);
        FUZZ_CHECK(record.type == event.type && record.address == event.address);
        FUZZ_CHECK(std::vector<std::uint8_t>(record.begin(), record.end()) == event.bytes);
        FUZZ_CHECK(store.type(index) == event.type && store.address(index) == event.address);
        const std::string shown = text(index);
        FUZZ_CHECK(!shown.empty());
        const bool inRange = event.address >= 1 && event.address <= 126;
        if (event.type == mtLongAnswer && inRange) {
            FUZZ_CHECK(shown.rfind("Ответ: ", 0) == 0 && shown.back() == '.');
        }
        if (event.type == mtCommand && inRange) {
            FUZZ_CHECK(shown.rfind("Команда: ", 0) == 0 && shown.back() == '.');
        }
    }

    FrameInbox inbox;
    SessionStore store;
};
