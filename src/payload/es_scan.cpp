// The level-1 scan of video and audio payloads. Video: the start-code prefix 00 00 01 and the
// code byte after it; audio: the syncword pattern FF Fx. A pattern that began in the previous
// packet of the same stream completes with a negative offset.
#include <cstring>

#include "payload/payload.h"
#include "report/report.h"

namespace {

void report_start_code(AnalysisState& state, int64_t offset, uint32_t code) {
  const char* text = nullptr;
  switch (code) {
    case 0x00: text = "    %d - picture_start_code\n"; break;
    case 0xB2: text = "    %d - user_data_start_code\n"; break;
    case 0xB3: text = "    %d - sequence_header_code\n"; break;
    case 0xB5: text = "    %d - extension_start_code\n"; break;
    case 0xB7: text = "    %d - sequence_end_code\n"; break;
    case 0xB8: text = "    %d - group_of_pictures header\n"; break;
    default: return;
  }
  out_format(state.out, text, offset);
}

void report_syncword(AnalysisState& state, int64_t offset) {
  out_format(state.out, "    %d - audio syncword\n", offset);
}

// The state counts the zeros of a prefix seen last: 0, 1, or 2 for two or more.
inline void step_video(AnalysisState& state, uint8_t& scan, uint32_t byte, int64_t count) {
  if (byte == 0x00) {
    if (scan < 2) scan += 1;
  } else {
    if (byte == 0x01 && scan == 2) report_start_code(state, count - 2, peek_bits(state.reader, 8));
    scan = 0;
  }
}

// The state is 1 after an 0xFF that may begin a syncword.
inline void step_audio(AnalysisState& state, uint8_t& scan, uint32_t byte, int64_t count) {
  if (scan == 1) {
    if ((byte & 0xF0) == 0xF0) report_syncword(state, count - 1);
    scan = 0;
  } else if (byte == 0xFF) {
    scan = 1;
  }
}

#ifdef PSSIFT_PLAIN_PATH

void scan_video(AnalysisState& state, uint8_t& scan, int64_t payload_length) {
  for (int64_t count = 0; count < payload_length; ++count) {
    step_video(state, scan, get_bits(state.reader, 8), count);
  }
}

void scan_audio(AnalysisState& state, uint8_t& scan, int64_t payload_length) {
  for (int64_t count = 0; count < payload_length; ++count) {
    step_audio(state, scan, get_bits(state.reader, 8), count);
  }
}

#else

// The bytes of one chunk are scanned in the block with memchr for the 0x01 of a prefix; the
// two bytes before it decide, or the carried state where they lie before the chunk.
void scan_video(AnalysisState& state, uint8_t& scan, int64_t payload_length) {
  BitReader& r = state.reader;
  int64_t count = 0;
  while (count < payload_length) {
    if (r.at_end) {  // the rest reads as zeros
      const int64_t zeros = payload_length - count;
      scan = static_cast<uint8_t>(scan + zeros >= 2 ? 2 : scan + zeros);
      return;
    }
    if (r.bit_index != 8) {
      step_video(state, scan, get_bits(r, 8), count);
      ++count;
      continue;
    }
    const int32_t start = r.byte_index;
    const int64_t wanted = payload_length - count;
    const int32_t in_block = r.bytes_in_buffer - start;
    const int32_t n = wanted < in_block ? static_cast<int32_t>(wanted) : in_block;
    const uint8_t* p = r.buffer + start;
    bool code_at_block_end = false;
    int32_t i = 0;
    while (i < n) {
      const void* hit = std::memchr(p + i, 0x01, static_cast<size_t>(n - i));
      if (hit == nullptr) break;
      const auto j = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - p);
      const bool prefix = j >= 2 ? (p[j - 1] == 0 && p[j - 2] == 0)
                          : j == 1 ? (p[0] == 0 && scan >= 1)
                                   : scan == 2;
      if (prefix) {
        if (start + j + 1 < r.bytes_in_buffer) {
          report_start_code(state, count + j - 2, p[j + 1]);
        } else {
          code_at_block_end = true;  // the code byte is in the next block: look after consuming
        }
      }
      i = j + 1;
    }
    if (n >= 2) {
      scan = p[n - 1] != 0 ? 0 : p[n - 2] != 0 ? 1 : 2;
    } else {
      scan = p[0] != 0 ? 0 : static_cast<uint8_t>(scan < 2 ? scan + 1 : 2);
    }
    skip_bytes(r, n);
    if (code_at_block_end) report_start_code(state, count + n - 3, peek_bits(r, 8));
    count += n;
  }
}

void scan_audio(AnalysisState& state, uint8_t& scan, int64_t payload_length) {
  BitReader& r = state.reader;
  int64_t count = 0;
  while (count < payload_length) {
    if (r.at_end) {  // zeros complete no syncword
      scan = 0;
      return;
    }
    if (r.bit_index != 8) {
      step_audio(state, scan, get_bits(r, 8), count);
      ++count;
      continue;
    }
    const int32_t start = r.byte_index;
    const int64_t wanted = payload_length - count;
    const int32_t in_block = r.bytes_in_buffer - start;
    const int32_t n = wanted < in_block ? static_cast<int32_t>(wanted) : in_block;
    const uint8_t* p = r.buffer + start;
    int32_t i = 0;
    if (scan == 1) {
      if ((p[0] & 0xF0) == 0xF0) report_syncword(state, count - 1);
      scan = 0;
      i = 1;
    }
    while (i < n) {
      const void* hit = std::memchr(p + i, 0xFF, static_cast<size_t>(n - i));
      if (hit == nullptr) break;
      const auto j = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - p);
      if (j + 1 == n) {
        scan = 1;
        break;
      }
      if ((p[j + 1] & 0xF0) == 0xF0) report_syncword(state, count + j);
      i = j + 2;
    }
    skip_bytes(r, n);
    count += n;
  }
}

#endif

}  // namespace

void scan_payload(AnalysisState& state, uint8_t stream_id, int64_t payload_length) {
  int64_t count = payload_length;
  if (stream_id >= 0xE0 && stream_id <= 0xEF) {
    scan_video(state, state.video_scan_state[stream_id - 0xE0], payload_length);
  } else if (stream_id >= 0xC0 && stream_id <= 0xDF) {
    scan_audio(state, state.audio_scan_state[stream_id - 0xC0], payload_length);
  } else if (stream_id == 0xBD && state.is_mpeg2 && state.is_vob) {
    count = read_dvd_substream(state, payload_length);
  } else {
    skip_bytes(state.reader, payload_length);
  }
  account_payload(state, stream_id, count);
}
