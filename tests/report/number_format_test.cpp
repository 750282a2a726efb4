// The report's own number formatting against the C library's printf, over the values the
// report prints: timestamps through each reciprocal for "%Lf", and the integer conversions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include <unistd.h>

#include "report/output.h"

namespace {

#ifndef PSSIFT_PLAIN_PATH

struct Formatted {
  std::unique_ptr<Output> out = std::make_unique<Output>();
  std::string take() {
    std::string text(out->buffer, out->length);
    out->length = 0;
    return text;
  }
};

std::string printf_millis(long double value) {
  char text[128];
  std::snprintf(text, sizeof text, "%Lf", value);
  return text;
}

constexpr long double kPer27000 = static_cast<long double>(1.0 / 27000.0);
constexpr long double kPer90 = static_cast<long double>(1.0 / 90.0);
constexpr long double kPer300 = static_cast<long double>(1.0 / 300.0);
constexpr uint64_t kMax33 = (uint64_t{1} << 33) - 1;

// The three conversions a timestamp goes through on its way to the report.
long double mpeg2_scr_millis(uint64_t base, uint32_t extension) {
  return (static_cast<long double>(base) * 300.0L + extension) * kPer27000;
}
long double timestamp_millis(uint64_t count) { return static_cast<long double>(count) * kPer90; }

void expect_same_millis(Formatted& f, long double value) {
  out_millis(*f.out, value);
  ASSERT_EQ(f.take(), printf_millis(value)) << "value " << static_cast<double>(value);
}

TEST(NumberFormat, MillisecondsMatchPrintfAtTheEdges) {
  Formatted f;
  const uint64_t counts[] = {0, 1, 2, 89, 90, 91, 45, 135, 4294967295u, 4294967296u, kMax33,
                             kMax33 - 1, 8100000, 2700000000u};
  for (uint64_t c : counts) {
    expect_same_millis(f, timestamp_millis(c));
    expect_same_millis(f, mpeg2_scr_millis(c, 0));
    expect_same_millis(f, mpeg2_scr_millis(c, 150));
    expect_same_millis(f, mpeg2_scr_millis(c, 511));
    expect_same_millis(f, static_cast<long double>(c) * kPer300);
  }
  expect_same_millis(f, 0.0000005L);  // a tie below the sixth decimal
  expect_same_millis(f, 0.0000015L);
  expect_same_millis(f, 0.0000025L);
  expect_same_millis(f, 1e-30L);
  expect_same_millis(f, 12345678901234567.0L);
  expect_same_millis(f, -1.5L);
  expect_same_millis(f, 0.5L);
}

TEST(NumberFormat, MillisecondsMatchPrintfOnConsecutiveAndRandomCounts) {
  Formatted f;
  for (uint64_t c = 0; c < 200000; ++c) {
    expect_same_millis(f, timestamp_millis(c));
    expect_same_millis(f, mpeg2_scr_millis(c, static_cast<uint32_t>(c % 300)));
  }
  std::mt19937_64 random(20261211);
  for (int i = 0; i < 200000; ++i) {
    const uint64_t c = random() & kMax33;
    expect_same_millis(f, timestamp_millis(c));
    expect_same_millis(f, mpeg2_scr_millis(c, static_cast<uint32_t>(random() % 512)));
    expect_same_millis(f, mpeg2_scr_millis(c, 0));
  }
}

TEST(NumberFormat, IntegersMatchPrintf) {
  Formatted f;
  const int64_t values[] = {0, 1, 9, 10, 99, 100, 12345, 65535, 2147483647, 2147483648LL,
                            4294967296LL, -1, -10, -2147483648LL, INT64_MAX, INT64_MIN};
  char text[64];
  for (int64_t v : values) {
    out_decimal(*f.out, v);
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v));
    EXPECT_EQ(f.take(), text);
    out_unsigned(*f.out, static_cast<uint64_t>(v));
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(v));
    EXPECT_EQ(f.take(), text);
    for (int width : {2, 4, 6, 8}) {
      out_hex(*f.out, static_cast<uint32_t>(v), width);
      std::snprintf(text, sizeof text, "%0*X", width, static_cast<uint32_t>(v));
      EXPECT_EQ(f.take(), text);
    }
  }
}

TEST(NumberFormat, FormatsAndLineFormatsMatchPrintf) {
  Formatted f;
  const char* formats[] = {"  PES_priority = %d\n", "  stream_id = %02X\n",
                           "pack_start_code = %08X, ", "\npacket_start_code_prefix = %06X\n",
                           "    first offset = 0x%04X\n", "plain text\n", "100%% done %d\n"};
  char text[128];
  for (const char* format : formats) {
    for (int value : {0, 1, 15, 255, 4095, 65535, 0x1BA, 4194303}) {
      std::snprintf(text, sizeof text, format, value);
      out_format(*f.out, format, value);
      EXPECT_EQ(f.take(), text) << format;
      out_line(*f.out, LineFormat(format), value);
      EXPECT_EQ(f.take(), text) << format;
    }
  }
}

TEST(NumberFormat, OutputBufferWrapsWithoutLosingText) {
  // Fill past the buffer's capacity: everything reaches standard output, in order.
  char path[] = "/tmp/pssift-output-XXXXXX";
  const int file = mkstemp(path);
  ASSERT_GE(file, 0);
  std::fflush(stdout);
  const int saved = dup(1);
  dup2(file, 1);
  auto out = std::make_unique<Output>();
  std::string expected;
  for (int i = 0; i < 40000; ++i) {
    out_line(*out, "  packet_length = %d\n", i);
    expected += "  packet_length = " + std::to_string(i) + "\n";
  }
  out_text(*out, "100% of it\n");
  expected += "100% of it\n";
  out_flush(*out);
  dup2(saved, 1);
  close(saved);
  close(file);
  std::FILE* in = std::fopen(path, "rb");
  ASSERT_NE(in, nullptr);
  std::string got;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) got.append(chunk, n);
  std::fclose(in);
  std::remove(path);
  EXPECT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
}

#else

TEST(NumberFormat, PlainBuildPrintsThroughPrintf) { GTEST_SKIP() << "printf is the reference"; }

#endif

}  // namespace
