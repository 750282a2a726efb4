#include "report/packet_map.h"

#include <cstring>

#include "report/printer.h"

namespace {

void print_map_line(AnalysisState& state) {
  if (state.map_line_length > 0) print_map_text(state, state.map_line, state.map_line_length);
}

void set_map_line(AnalysisState& state, const char* text, int32_t length) {
  std::memcpy(state.map_line, text, static_cast<size_t>(length));
  state.map_line_length = length;
  state.map_line[length] = '\0';
}

void append_code(AnalysisState& state, const char* code, int32_t length) {
  if (state.map_line_length + length > kMapLineCapacity) {
    print_map_line(state);
    set_map_line(state, " +", 2);
  }
  std::memcpy(state.map_line + state.map_line_length, code, static_cast<size_t>(length));
  state.map_line_length += length;
  state.map_line[state.map_line_length] = '\0';
}

// "%d" of 0..99 and "%02X" of a byte, for the packet codes.
int32_t format_small_number(char* text, unsigned value) {
  if (value >= 10) {
    text[0] = static_cast<char>('0' + value / 10);
    text[1] = static_cast<char>('0' + value % 10);
    return 2;
  }
  text[0] = static_cast<char>('0' + value);
  return 1;
}

}  // namespace

void begin_map_line(AnalysisState& state) {
  print_map_line(state);
  set_map_line(state, " P", 2);
}

void append_map_code(AnalysisState& state, const char* code) {
  append_code(state, code, static_cast<int32_t>(std::strlen(code)));
}

void append_packet_code(AnalysisState& state, uint8_t stream_id) {
  if (state.verbose_level <= 2) return;
  char code[4];
  int32_t length = 0;
  if (stream_id >= 0xE0 && stream_id <= 0xEF) {
    code[0] = 'v';
    length = 1 + format_small_number(code + 1, stream_id - 0xE0u);
  } else if (stream_id >= 0xC0 && stream_id <= 0xDF) {
    code[0] = 'a';
    length = 1 + format_small_number(code + 1, stream_id - 0xC0u);
  } else if (stream_id == 0xBD) {
    code[0] = '1';
    length = 1;
    if (state.is_vob && state.substream_known) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      code[1] = kHex[state.current_substream >> 4];
      code[2] = kHex[state.current_substream & 0xF];
      length = 3;
    }
  } else {
    code[0] = 'o';
    length = 1;
  }
  append_code(state, code, length);
}

void flush_map_line(AnalysisState& state) {
  if (state.verbose_level > 2) print_map_line(state);
}
