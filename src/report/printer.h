// The levelled printer: message levels 1 (headline and timing), 2 (field detail) and 3 (map texts).
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/analysis_state.h"

// Writes a message of level 1 or 2 when the run's level shows it (levels 1 and 2 only).
void print_message(AnalysisState& state, int level, const char* format, int64_t value);

// Lays a packet-map text out on the map's lines of at most 80 characters; a new line starts
// when the text would pass column 80 or its third character differs from the last text's.
void print_map_text(AnalysisState& state, const char* text, int32_t length);

// print_level: levels 1 and 2 are messages with one conversion; level 3 is a map text.
void print_level(AnalysisState& state, int level, const char* format, int64_t value);

// True when messages of this level are written: the run's level is 1 or 2 and not below it.
inline bool shows_level(const AnalysisState& state, int level) {
  return state.verbose_level <= 2 && level <= state.verbose_level;
}

// The same for a line format split when the program is compiled (the frequent lines).
inline void print_line(AnalysisState& state, int level, const LineFormat& line, int64_t value) {
  if (shows_level(state, level)) out_line(state.out, line, value);
}

// Field mode: reads an n-bit field and prints it at level 2 with its label, one conversion.
inline uint32_t read_field(AnalysisState& state, int bits, const LineFormat& line) {
  const uint32_t value = get_bits(state.reader, bits);
  if (shows_level(state, 2)) out_line(state.out, line, value);
  return value;
}

// A header group as its syntax lays it out: bits and the labelled line of each field.
struct FieldSpec {
  int bits;
  LineFormat format;
};

// Reads and prints every field of a group in order; values[i] receives field i when given.
template <size_t N>
inline void read_fields(AnalysisState& state, const FieldSpec (&group)[N],
                        uint32_t* values = nullptr) {
  for (size_t i = 0; i < N; ++i) {
    const uint32_t value = read_field(state, group[i].bits, group[i].format);
    if (values != nullptr) values[i] = value;
  }
}

// A heading printed at level 2 only (the group titles of the detail listing).
inline void print_heading(AnalysisState& state, const char* text) {
  if (state.verbose_level == 2) out_text(state.out, text);
}
