// The level-1 scan of video and audio payloads. Video: the start-code prefix 00 00 01 and the
// code byte after it; audio: the syncword pattern FF Fx. A pattern that began in the previous
// packet of the same stream completes with a negative offset.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Bitmask of the positions i in [from, from + 16) where p[i], p[i + 1], p[i + 2] equal
// a, b, c after masking p[i + 1] with mask_b: 16 positions per step where SSE2 is there.
#if defined(__SSE2__)
inline uint32_t match_three(const uint8_t* p, uint8_t a, uint8_t mask_b, uint8_t b, bool test_c,
                            uint8_t c) {
  const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  __m128i m = _mm_and_si128(
      _mm_cmpeq_epi8(x0, _mm_set1_epi8(static_cast<char>(a))),
      _mm_cmpeq_epi8(_mm_and_si128(x1, _mm_set1_epi8(static_cast<char>(mask_b))),
                     _mm_set1_epi8(static_cast<char>(b))));
  if (test_c) {
    const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(x2, _mm_set1_epi8(static_cast<char>(c))));
  }
  return static_cast<uint32_t>(_mm_movemask_epi8(m));
}
inline constexpr int32_t kStep = 16;
#else
inline uint32_t match_three(const uint8_t* p, uint8_t a, uint8_t mask_b, uint8_t b, bool test_c,
                            uint8_t c) {
  uint32_t bits = 0;
  for (int k = 0; k < 8; ++k) {
    if (p[k] == a && (p[k + 1] & mask_b) == b && (!test_c || p[k + 2] == c)) bits |= 1u << k;
  }
  return bits;
}
inline constexpr int32_t kStep = 8;
#endif

// One chunk of a video payload, inside the block: every 0x01 with two zeros before it (the
// zeros may lie in the carried state) is a start code; the code byte is the byte after it.
// Returns true when the last start code's code byte lies behind the block.
bool scan_video_chunk(AnalysisState& state, uint8_t scan, const uint8_t* p, int32_t n,
                      int64_t count, bool chunk_ends_block) {
  bool code_after_block = false;
  auto found = [&](int32_t j) {
    if (j + 1 < n || !chunk_ends_block) {
      report_start_code(state, count + j - 2, p[j + 1]);
    } else {
      code_after_block = true;
    }
  };
  if (n >= 1 && scan == 2 && p[0] == 0x01) found(0);
  if (n >= 2 && scan >= 1 && p[0] == 0x00 && p[1] == 0x01) found(1);
  int32_t i = 0;  // candidate: zeros at i and i + 1, 0x01 at i + 2
  for (; i + kStep + 2 <= n; i += kStep) {
    uint32_t bits = match_three(p + i, 0x00, 0xFF, 0x00, true, 0x01);
    while (bits != 0) {
      found(i + __builtin_ctz(bits) + 2);
      bits &= bits - 1;
    }
  }
  for (; i + 2 < n; ++i) {
    if (p[i] == 0x00 && p[i + 1] == 0x00 && p[i + 2] == 0x01) found(i + 2);
  }
  return code_after_block;
}

// The number of zeros a prefix has at the end of the chunk, 0 to 2.
uint8_t trailing_zeros(uint8_t scan, const uint8_t* p, int32_t n) {
  if (n >= 2) return p[n - 1] != 0 ? 0 : p[n - 2] != 0 ? 1 : 2;
  return p[0] != 0 ? 0 : static_cast<uint8_t>(scan < 2 ? scan + 1 : 2);
}

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
    const int64_t wanted = payload_length - count;
    const int32_t in_block = r.bytes_in_buffer - r.byte_index;
    const int32_t n = wanted < in_block ? static_cast<int32_t>(wanted) : in_block;
    const uint8_t* p = r.buffer + r.byte_index;
    const bool code_after_block = scan_video_chunk(state, scan, p, n, count, n == in_block);
    scan = trailing_zeros(scan, p, n);
    skip_bytes(r, n);
    if (code_after_block) report_start_code(state, count + n - 3, peek_bits(r, 8));
    count += n;
  }
}

// One chunk of an audio payload: each 0xFF that starts a pattern (it is not the second byte
// of the syncword before it) followed by 0xFx is a syncword. Returns the state for the next
// chunk: 1 when the chunk ends in an 0xFF that starts a pattern.
uint8_t scan_audio_chunk(AnalysisState& state, uint8_t scan, const uint8_t* p, int32_t n,
                         int64_t count) {
  int32_t next_start = 0;  // the first position that may start a pattern
  if (scan == 1) {
    if ((p[0] & 0xF0) == 0xF0) report_syncword(state, count - 1);
    next_start = 1;
  }
  auto found = [&](int32_t i) {
    if (i < next_start) return;
    report_syncword(state, count + i);
    next_start = i + 2;
  };
  int32_t i = 0;  // candidate: 0xFF at i, 0xFx at i + 1
  for (; i + kStep + 1 <= n; i += kStep) {
    uint32_t bits = match_three(p + i, 0xFF, 0xF0, 0xF0, false, 0);
    while (bits != 0) {
      found(i + __builtin_ctz(bits));
      bits &= bits - 1;
    }
  }
  for (; i + 1 < n; ++i) {
    if (p[i] == 0xFF && (p[i + 1] & 0xF0) == 0xF0) found(i);
  }
  return p[n - 1] == 0xFF && n - 1 >= next_start ? 1 : 0;
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
    const int64_t wanted = payload_length - count;
    const int32_t in_block = r.bytes_in_buffer - r.byte_index;
    const int32_t n = wanted < in_block ? static_cast<int32_t>(wanted) : in_block;
    scan = scan_audio_chunk(state, scan, r.buffer + r.byte_index, n, count);
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
