// The per-run record that every part of the analysis reads and writes.
#pragma once

#include <cstdint>

#include "bitstream/bit_reader.h"
#include "report/output.h"
#include "stats/stream_stats.h"

inline constexpr int kMapLineCapacity = 79;

struct AnalysisState {
  int32_t verbose_level = 1;  // 1 to 4
  bool is_vob = false;        // the lower-cased path contains ".vob"
  bool is_mpeg2 = false;      // decided once, from the first pack header
  const char* path = nullptr;  // as typed

  uint64_t last_pack_position = 0;  // bit_position just after the latest pack start code
  long double last_scr = 0;          // SCR of the latest pack, 90 kHz units (level 1 only)

  // The current packet.
  uint8_t stream_id = 0;
  uint16_t packet_length = 0;
  int64_t header_bytes = 0;

  // Substream id of the latest DVD private stream 1 payload; none known until one is read.
  bool substream_known = false;
  uint8_t current_substream = 0;

  // Packet map of the current pack, and the layout state of the map on output.
  char map_line[kMapLineCapacity + 1] = {};
  int32_t map_line_length = 0;
  int32_t map_column = 0;
  char last_map_third = '\0';  // third character of the map text written last

  // Level-1 payload scan: partial start-code prefix per video stream, partial syncword per
  // MPEG audio stream, carried from packet to packet.
  uint8_t video_scan_state[16] = {};
  uint8_t audio_scan_state[32] = {};

  StreamStats stats;
  BitReader reader;
  Output out;
};
