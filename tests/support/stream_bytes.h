// The bytes of small program-stream elements, for streams built inside the tests.
#pragma once

#include <cstdint>
#include <vector>

#include "support/temp_files.h"

namespace test_support {

inline Bytes pack_start_code() { return {0x00, 0x00, 0x01, 0xBA}; }
inline Bytes program_end_code() { return {0x00, 0x00, 0x01, 0xB9}; }

// An MPEG-2 pack header with SCR 0, program_mux_rate 25200 and no pack stuffing (14 bytes).
inline Bytes mpeg2_pack_header() {
  return {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
}

// An MPEG-1 pack header with SCR 0 and program_mux_rate 25200 (12 bytes).
inline Bytes mpeg1_pack_header() {
  return {0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0xC4, 0xE1};
}

// An MPEG-2 PES packet without optional fields: the three fixed header bytes, then payload.
inline Bytes mpeg2_pes_packet(uint8_t stream_id, const Bytes& payload) {
  const size_t length = payload.size() + 3;
  Bytes bytes = {0x00, 0x00, 0x01, stream_id, static_cast<uint8_t>(length >> 8),
                 static_cast<uint8_t>(length & 0xFF), 0x80, 0x00, 0x00};
  append(bytes, payload);
  return bytes;
}

// An MPEG-2 PES packet whose header carries a PTS (17232, 191.466667 ms).
inline Bytes mpeg2_pes_packet_with_pts(uint8_t stream_id, const Bytes& payload) {
  const size_t length = payload.size() + 8;
  Bytes bytes = {0x00, 0x00, 0x01, stream_id, static_cast<uint8_t>(length >> 8),
                 static_cast<uint8_t>(length & 0xFF), 0x80, 0x80, 0x05,
                 0x21, 0x00, 0x01, 0x86, 0xA1};
  append(bytes, payload);
  return bytes;
}

}  // namespace test_support
