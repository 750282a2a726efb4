#include "report/output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void out_bytes(Output& o, const char* text, size_t size) {
  if (o.length + size > kOutputSize) {
    write_or_fail(o.buffer, o.length);
    o.length = 0;
    if (size > kOutputSize) {
      write_or_fail(text, size);
      return;
    }
  }
  std::memcpy(o.buffer + o.length, text, size);
  o.length += size;
}

void out_text(Output& o, const char* text) { out_bytes(o, text, std::strlen(text)); }

void out_char(Output& o, char c) {
  if (o.length == kOutputSize) {
    write_or_fail(o.buffer, o.length);
    o.length = 0;
  }
  o.buffer[o.length++] = c;
}

void out_unsigned(Output& o, uint64_t value) {
  char scratch[24];
  char* end = scratch + sizeof scratch;
  const char* first = format_unsigned(value, end);
  out_bytes(o, first, static_cast<size_t>(end - first));
}

void out_decimal(Output& o, int64_t value) {
  char scratch[24];
  char* end = scratch + sizeof scratch;
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char* first = format_unsigned(magnitude, end);
  if (value < 0) *--first = '-';
  out_bytes(o, first, static_cast<size_t>(end - first));
}

void out_hex(Output& o, uint32_t value, int width) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  char scratch[16];
  char* end = scratch + sizeof scratch;
  char* p = end;
  do {
    *--p = kHex[value & 0xF];
    value >>= 4;
  } while (value != 0);
  while (end - p < width && p > scratch) *--p = '0';
  out_bytes(o, p, static_cast<size_t>(end - p));
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
  int exponent = 0;
  const long double fraction = std::frexp(value, &exponent);
  const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
  const int shift = exponent - 64;
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
  const auto whole = static_cast<uint64_t>(micro / 1000000u);
  auto decimals = static_cast<uint32_t>(micro % 1000000u);
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
    const char* percent = std::strchr(p, '%');
    if (percent == nullptr) {
      out_text(o, p);
      return;
    }
    out_bytes(o, p, static_cast<size_t>(percent - p));
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
