#include "report/output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

__extension__ typedef unsigned __int128 uint128;

void write_or_fail(const char* data, size_t size) {
  if (size == 0) return;
  if (std::fwrite(data, 1, size, stdout) != size) {
    std::fputs("psSIFT: error writing the report to standard output\n", stderr);
    std::exit(1);
  }
}

#ifndef PSSIFT_PLAIN_PATH
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes value in decimal at the end of scratch; returns the first digit.
char* format_unsigned(uint64_t value, char* end) {
  char* p = end;
  while (value >= 100) {
    const uint64_t pair = (value % 100) * 2;
    value /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (value >= 10) {
    *--p = kDigitPairs[value * 2 + 1];
    *--p = kDigitPairs[value * 2];
  } else {
    *--p = static_cast<char>('0' + value);
  }
  return p;
}
#endif

}  // namespace

void out_flush(Output& o) {
#ifdef PSSIFT_PLAIN_PATH
  (void)o;
#else
  write_or_fail(o.buffer, o.length);
  o.length = 0;
#endif
  if (std::fflush(stdout) != 0) {
    std::fputs("psSIFT: error writing the report to standard output\n", stderr);
    std::exit(1);
  }
}

#ifdef PSSIFT_PLAIN_PATH

void out_bytes(Output&, const char* text, size_t size) { write_or_fail(text, size); }
void out_text(Output&, const char* text) { std::fputs(text, stdout); }
void out_char(Output&, char c) { std::putchar(c); }
void out_decimal(Output&, int64_t value) { std::printf("%lld", static_cast<long long>(value)); }
void out_unsigned(Output&, uint64_t value) {
  std::printf("%llu", static_cast<unsigned long long>(value));
}
void out_hex(Output&, uint32_t value, int width) { std::printf("%0*X", width, value); }
void out_millis(Output&, long double value) { std::printf("%Lf", value); }

#else

// Makes room for size more bytes (size at most kOutputSize).
inline char* reserve(Output& o, size_t size) {
  if (o.length + size > kOutputSize) {
    write_or_fail(o.buffer, o.length);
    o.length = 0;
  }
  return o.buffer + o.length;
}

void out_bytes(Output& o, const char* text, size_t size) {
  if (size > kOutputSize) {
    write_or_fail(o.buffer, o.length);
    o.length = 0;
    write_or_fail(text, size);
    return;
  }
  std::memcpy(reserve(o, size), text, size);
  o.length += size;
}

// Copies text up to its terminating zero or a '%', whichever comes first; returns where it stopped.
inline const char* copy_until_percent(Output& o, const char* text) {
  char* d = o.buffer + o.length;
  char* const limit = o.buffer + kOutputSize;
  for (;;) {
    const char c = *text;
    if (c == '\0' || c == '%') break;
    if (d == limit) {
      write_or_fail(o.buffer, kOutputSize);
      d = o.buffer;
    }
    *d++ = c;
    ++text;
  }
  o.length = static_cast<size_t>(d - o.buffer);
  return text;
}

void out_text(Output& o, const char* text) {
  while (*(text = copy_until_percent(o, text)) != '\0') {
    out_char(o, '%');
    ++text;
  }
}

void out_char(Output& o, char c) {
  *reserve(o, 1) = c;
  o.length += 1;
}

void out_unsigned(Output& o, uint64_t value) {
  char* d = reserve(o, 24);
  char* end = d + 24;
  const char* first = format_unsigned(value, end);
  const auto size = static_cast<size_t>(end - first);
  std::memmove(d, first, size);
  o.length += size;
}

void out_decimal(Output& o, int64_t value) {
  if (value < 0) {
    out_char(o, '-');
    out_unsigned(o, 0 - static_cast<uint64_t>(value));
  } else {
    out_unsigned(o, static_cast<uint64_t>(value));
  }
}

void out_hex(Output& o, uint32_t value, int width) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  int digits = 1;
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  if (width > 16) width = 16;
  const int size = digits > width ? digits : width;
  char* d = reserve(o, static_cast<size_t>(size));
  for (int i = size - 1; i >= 0; --i) {
    d[i] = kHex[value & 0xF];
    value >>= 4;
  }
  o.length += static_cast<size_t>(size);
}

// The value is m * 2^shift with a 64-bit m; value * 10^6 is rounded to an integer from that
// exact product, half to even, as the C library rounds "%Lf".
void out_millis(Output& o, long double value) {
  if (!std::isfinite(value)) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%Lf", value);
    out_bytes(o, text, static_cast<size_t>(n));
    return;
  }
  const bool negative = std::signbit(value);
  if (negative) value = -value;
  uint64_t mantissa = 0;
  int shift = 0;
  if constexpr (std::numeric_limits<long double>::digits == 64) {
    // x87 extended: a 64-bit significand with its integer bit, then 15 bits of exponent.
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof value);
    std::memcpy(&mantissa, bytes, sizeof mantissa);
    const int biased = (bytes[8] | (bytes[9] << 8)) & 0x7FFF;
    shift = biased == 0 ? 1 - 16383 - 63 : biased - 16383 - 63;
  } else {
    int exponent = 0;
    const long double fraction = std::frexp(value, &exponent);
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    shift = exponent - 64;
  }
  if (shift > 0) {  // 2^64 and more: beyond any timestamp; the C library formats it
    char text[6000];
    const int n = std::snprintf(text, sizeof text, "%Lf", negative ? -value : value);
    out_bytes(o, text, static_cast<size_t>(n));
    return;
  }
  const uint128 scaled = static_cast<uint128>(mantissa) * 1000000u;
  uint128 micro = 0;
  const int right = -shift;
  if (right == 0) {
    micro = scaled;
  } else if (right < 128) {
    micro = scaled >> right;
    const uint128 rest = scaled - (micro << right);
    const uint128 half = static_cast<uint128>(1) << (right - 1);
    if (rest > half || (rest == half && (micro & 1) != 0)) micro += 1;
  }
  uint64_t whole = 0;
  uint32_t decimals = 0;
  if ((micro >> 64) == 0) {  // every timestamp: a 64-bit division is enough
    const auto small = static_cast<uint64_t>(micro);
    whole = small / 1000000u;
    decimals = static_cast<uint32_t>(small % 1000000u);
  } else {
    whole = static_cast<uint64_t>(micro / 1000000u);
    decimals = static_cast<uint32_t>(micro % 1000000u);
  }
  if (negative) out_char(o, '-');
  out_unsigned(o, whole);
  char digits[7];
  digits[0] = '.';
  for (int i = 6; i >= 1; --i) {
    digits[i] = static_cast<char>('0' + decimals % 10);
    decimals /= 10;
  }
  out_bytes(o, digits, sizeof digits);
}

#endif

void out_format(Output& o, const char* format, int64_t value) {
#ifdef PSSIFT_PLAIN_PATH
  if (value >= INT32_MIN && value <= INT32_MAX) {
    std::printf(format, static_cast<int>(value));
    return;
  }
#endif
  const char* p = format;
  while (*p != '\0') {
#ifdef PSSIFT_PLAIN_PATH
    const char* percent = std::strchr(p, '%');
    if (percent == nullptr) {
      out_text(o, p);
      return;
    }
    out_bytes(o, p, static_cast<size_t>(percent - p));
#else
    const char* percent = copy_until_percent(o, p);
    if (*percent == '\0') return;
#endif
    p = percent + 1;
    int width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    switch (*p) {
      case 'd': out_decimal(o, value); break;
      case 'u': out_unsigned(o, static_cast<uint64_t>(value)); break;
      case 'X': out_hex(o, static_cast<uint32_t>(value), width); break;
      case '%': out_char(o, '%'); break;
      default: return;  // the format texts hold no other conversion
    }
    ++p;
  }
}

void out_format_millis(Output& o, const char* format, long double value) {
#ifdef PSSIFT_PLAIN_PATH
  std::printf(format, value);
  return;
#endif
  const char* conversion = std::strstr(format, "%Lf");
  if (conversion == nullptr) {
    out_text(o, format);
    return;
  }
  out_bytes(o, format, static_cast<size_t>(conversion - format));
  out_millis(o, value);
  out_text(o, conversion + 3);
}

void out_line(Output& o, const LineFormat& line, int64_t value) {
#ifdef PSSIFT_PLAIN_PATH
  out_format(o, line.format, value);
#else
  if (!line.fits) {
    out_format(o, line.format, value);
    return;
  }
  char* d = reserve(o, kLinePrefixSize + 24 + kLineSuffixSize);
  std::memcpy(d, line.prefix, kLinePrefixSize);
  o.length += line.prefix_length;
  switch (line.conversion) {
    case 'd': out_decimal(o, value); break;
    case 'u': out_unsigned(o, static_cast<uint64_t>(value)); break;
    case 'X': out_hex(o, static_cast<uint32_t>(value), line.width); break;
    default: break;
  }
  d = o.buffer + o.length;
  std::memcpy(d, line.suffix, kLineSuffixSize);
  o.length += line.suffix_length;
#endif
}

void fail_run(Output& o, const char* format, const char* text) {
  const char* conversion = text != nullptr ? std::strstr(format, "%s") : nullptr;
  if (conversion == nullptr) {
    out_text(o, format);
  } else {
    out_bytes(o, format, static_cast<size_t>(conversion - format));
    out_text(o, text);
    out_text(o, conversion + 2);
  }
  out_flush(o);
  std::exit(1);
}
