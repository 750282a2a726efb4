#include "report/printer.h"

void print_message(AnalysisState& state, int level, const char* format, int64_t value) {
  if (shows_level(state, level)) out_format(state.out, format, value);
}

void print_map_text(AnalysisState& state, const char* text, int32_t length) {
  const char third = length > 2 ? text[2] : '\0';
  if (state.map_column + length > 80 || third != state.last_map_third) {
    out_char(state.out, '\n');
    state.map_column = 0;
  }
  out_bytes(state.out, text, static_cast<size_t>(length));
  state.map_column += length;
  state.last_map_third = third;
}

void print_level(AnalysisState& state, int level, const char* format, int64_t value) {
  if (level <= 2) {
    print_message(state, level, format, value);
  } else if (state.verbose_level > 2) {
    int32_t length = 0;
    while (format[length] != '\0') ++length;
    print_map_text(state, format, length);
  }
}
