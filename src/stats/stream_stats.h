// The run's counters and the closing summary.
#pragma once

#include <cstdint>

struct AnalysisState;

// Every counter is 64-bit: a file of any size gets its true totals.
struct StreamStats {
  uint64_t pack_count = 0;
  uint64_t system_header_count = 0;
  uint64_t packets_by_stream[256] = {};     // by stream_id: packet start codes met
  uint64_t bytes_by_stream[256] = {};       // by stream_id: bytes after the packet headers
  uint64_t packets_by_substream[256] = {};  // DVD private stream 1: packets with a payload
  uint64_t bytes_by_substream[256] = {};    // their payload bytes, substream header included
  uint64_t ac3_bytes[8] = {};               // ids 0x80..0x87, less the 4-byte substream header
  uint64_t dts_bytes[8] = {};               // ids 0x88..0x8F, less the substream id
  uint64_t pcm_bytes[16] = {};              // ids 0xA0..0xAF, less the substream id
  uint64_t subpicture_bytes[32] = {};       // ids 0x20..0x3F, less the substream id
};

// Books the payload of one packet that has a packet header (count bytes, already read):
// prints the data line, adds to the totals and appends the packet's map code.
void account_payload(AnalysisState& state, uint8_t stream_id, int64_t count);

// The closing summary, printed at every level.
void print_summary(AnalysisState& state);
