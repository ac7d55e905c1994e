#pragma once

#include <velora_protocol/Frame.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace velora_capture {

// Our captures are pcap files of link type LINKTYPE_USER0 (147) with nanosecond time
// stamps. A record is one frame: a two-byte header, the message type (1..7) and the
// address (0 for trash), then exactly the frame's bytes; its time is the first byte's.
// The records' bytes, joined, are the bytes of the line. See docs/capture-format.md.
constexpr int kLinkType = 147;
constexpr std::size_t kHeaderSize = 2;
constexpr std::size_t kMaxRecordSize = kHeaderSize + velora_protocol::Frame::kMaxSize;

// Why a record's header disagrees with its frame bytes, or an empty string when they
// agree.
std::string recordProblem(int type, int address, const std::uint8_t* bytes, std::size_t size);

} // namespace velora_capture
