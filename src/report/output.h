// The report's writer: everything psSIFT prints goes through these functions to standard output.
//
// Numbers are formatted here exactly as printf's "%d", "%u", "%0NX" and "%Lf" conversions print
// them, into a large buffer that is written out in big pieces. The byte-at-a-time reference
// build (PSSIFT_PLAIN_PATH) hands every text and number to printf instead.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kOutputSize = 262144;

struct Output {
  char buffer[kOutputSize];
  size_t length = 0;
};

void out_bytes(Output& o, const char* text, size_t size);
void out_text(Output& o, const char* text);
void out_char(Output& o, char c);
// "%d" and "%u" of a 64-bit value.
void out_decimal(Output& o, int64_t value);
void out_unsigned(Output& o, uint64_t value);
// "%0<width>X": upper-case hexadecimal, at least width digits.
void out_hex(Output& o, uint32_t value, int width);
// "%Lf": fixed notation, six decimals, rounded to nearest (ties to even) from the exact value.
void out_millis(Output& o, long double value);

// Writes a printf-style format with at most one conversion ("%d", "%u", "%0NX"; "%%" prints '%').
void out_format(Output& o, const char* format, int64_t value);
// Writes a format whose one conversion is "%Lf".
void out_format_millis(Output& o, const char* format, long double value);

// A report line with at most one conversion ("%d", "%u", "%0NX"), split once, when the
// program is compiled, into the text before the conversion, the conversion and the text after
// it, so that writing it copies fixed-size pieces. A format that does not fit the pieces is
// written by out_format.
inline constexpr int kLinePrefixSize = 64;
inline constexpr int kLineSuffixSize = 16;

struct LineFormat {
  const char* format = nullptr;
  char prefix[kLinePrefixSize] = {};
  char suffix[kLineSuffixSize] = {};
  uint8_t prefix_length = 0;
  uint8_t suffix_length = 0;
  uint8_t width = 0;
  char conversion = '\0';  // 'd', 'u', 'X', or none
  bool fits = false;

  constexpr LineFormat(const char* text) : format(text) {  // NOLINT: literals convert
    int i = 0;
    while (text[i] != '\0' && text[i] != '%') ++i;
    if (i >= kLinePrefixSize) return;
    for (int k = 0; k < i; ++k) prefix[k] = text[k];
    prefix_length = static_cast<uint8_t>(i);
    if (text[i] == '%') {
      ++i;
      int w = 0;
      while (text[i] >= '0' && text[i] <= '9') w = w * 10 + (text[i++] - '0');
      if (w > 16 || (text[i] != 'd' && text[i] != 'u' && text[i] != 'X')) return;
      width = static_cast<uint8_t>(w);
      conversion = text[i++];
    }
    int k = 0;
    while (text[i + k] != '\0') {
      if (text[i + k] == '%' || k + 1 >= kLineSuffixSize) return;
      suffix[k] = text[i + k];
      ++k;
    }
    suffix_length = static_cast<uint8_t>(k);
    fits = true;
  }
};

// Writes a line format with value for its conversion.
void out_line(Output& o, const LineFormat& line, int64_t value);

// Writes what is buffered to standard output.
void out_flush(Output& o);

// Writes format with text in place of its one "%s" (or format alone when text is null),
// flushes, and ends the program with exit status 1.
[[noreturn]] void fail_run(Output& o, const char* format, const char* text = nullptr);
