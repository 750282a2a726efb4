// The buffered bit reader on real files: block boundaries, the end of the data, look-ahead,
// start-code searches, skips and the fatal input failures.
#include "bitstream/bit_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "report/output.h"
#include "support/param_names.h"
#include "support/reader_fixture.h"
#include "support/temp_files.h"

namespace {

using test_support::Bytes;
using test_support::OpenReader;
using test_support::TempDir;

// Names the cases of a table by their name field.
using test_support::ByName;

constexpr size_t kBlock = static_cast<size_t>(kBlockSize);
constexpr uint64_t kBlockBits = 8u * kBlock;

// Moves a freshly opened reader forward by bits: whole bytes by get_bits(8), then single bits.
void advance_bits(BitReader& r, uint64_t bits) {
  for (uint64_t i = 0; i < bits / 8; ++i) get_bits(r, 8);
  for (uint64_t i = 0; i < bits % 8; ++i) get_bit(r);
}

// The bits of the file as the reader must deliver them: most significant first, 0 past the end.
class BitModel {
 public:
  explicit BitModel(const Bytes& data) : data_(data), total_(8u * data.size()) {}

  uint64_t position() const { return position_; }
  uint64_t total() const { return total_; }

  uint32_t bits_at(uint64_t at, int n) const {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
      const uint64_t q = at + static_cast<uint64_t>(i);
      uint32_t bit = 0;
      if (q < total_) bit = static_cast<uint32_t>(data_[q / 8] >> (7 - q % 8)) & 1u;
      value = (value << 1) | bit;
    }
    return value;
  }

  uint32_t get(int n) {
    const uint32_t value = bits_at(position_, n);
    position_ = std::min(position_ + static_cast<uint64_t>(n), total_);
    return value;
  }

  // A look-ahead sees the data up to the end of the file, except that behind a full block
  // followed by fewer than 4 bytes it sees the data as ending at that block's end.
  uint32_t peek(int n) const {
    const uint64_t size = data_.size();
    const uint64_t byte = position_ / 8;
    const uint64_t block_start = byte / kBlock * kBlock;
    const uint64_t block_end = std::min<uint64_t>(block_start + kBlock, size);
    const uint64_t limit = size - block_end < 4 ? 8 * block_end : total_;
    if (position_ + static_cast<uint64_t>(n) > limit) return 0;
    return bits_at(position_, n);
  }

  void skip(uint64_t bytes) { position_ = std::min(position_ + 8 * bytes, total_); }

 private:
  const Bytes& data_;
  uint64_t total_;
  uint64_t position_ = 0;
};

class BitReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.ok()); }

  BitReader& open_bytes(const Bytes& bytes, const std::string& name = "input.bin") {
    return reader_.open(dir_.write(name, bytes));
  }

  TempDir dir_;
  OpenReader reader_;
};

// ---------------------------------------------------------------------------------------------
// Opening

TEST_F(BitReaderTest, OpenStandsAtTheFirstBitOfTheFirstBlock) {
  const Bytes data = test_support::filler(kBlock + 100);
  BitReader& r = open_bytes(data);
  EXPECT_EQ(r.byte_index, 0);
  EXPECT_EQ(r.bit_index, 8);
  EXPECT_EQ(r.bytes_in_buffer, kBlockSize);
  EXPECT_EQ(bit_position(r), 0u);
  EXPECT_FALSE(at_end(r));
  EXPECT_EQ(get_bits(r, 8), data[0]);
}

TEST_F(BitReaderTest, OneByteFileIsReadAndThenEnds) {
  BitReader& r = open_bytes({0xA5});
  EXPECT_EQ(r.bytes_in_buffer, 1);
  EXPECT_EQ(get_bits(r, 4), 0xAu);
  EXPECT_FALSE(at_end(r));
  EXPECT_EQ(get_bits(r, 4), 0x5u);
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(bit_position(r), 8u);
}

// ---------------------------------------------------------------------------------------------
// A file of exactly one block: the end is met as its last byte is taken, by any kind of read.

enum class LastByteRead { get_bits_8, eight_get_bit, get_bits_3_then_5, skip_one, get_bits_32 };

struct LastByteCase {
  const char* name;
  LastByteRead how;
};

class ExactBlockFileTest : public BitReaderTest,
                           public ::testing::WithParamInterface<LastByteCase> {};

TEST_P(ExactBlockFileTest, EndIsSetAsTheLastByteIsConsumed) {
  const Bytes data = test_support::filler(kBlock, 7);
  BitReader& r = open_bytes(data);
  const LastByteRead how = GetParam().how;
  const size_t before = how == LastByteRead::get_bits_32 ? kBlock - 4 : kBlock - 1;
  skip_bytes(r, static_cast<int64_t>(before));
  ASSERT_EQ(bit_position(r), 8u * before);
  ASSERT_FALSE(at_end(r));

  uint32_t last = 0;
  switch (how) {
    case LastByteRead::get_bits_8:
      last = get_bits(r, 8);
      break;
    case LastByteRead::eight_get_bit:
      for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(at_end(r)) << "after " << i << " bits of the last byte";
        last = (last << 1) | get_bit(r);
      }
      break;
    case LastByteRead::get_bits_3_then_5:
      last = get_bits(r, 3) << 5;
      EXPECT_FALSE(at_end(r));
      last |= get_bits(r, 5);
      break;
    case LastByteRead::skip_one:
      skip_bytes(r, 1);
      last = data[kBlock - 1];
      break;
    case LastByteRead::get_bits_32: {
      const uint32_t word = get_bits(r, 32);
      EXPECT_EQ(word >> 8, (uint32_t{data[kBlock - 4]} << 16) | (uint32_t{data[kBlock - 3]} << 8) |
                               data[kBlock - 2]);
      last = word & 0xFF;
      break;
    }
  }
  EXPECT_EQ(last, data[kBlock - 1]);
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(bit_position(r), 8388608u);

  EXPECT_EQ(get_bit(r), 0u);
  EXPECT_EQ(bit_position(r), 8388608u);
  EXPECT_EQ(get_bits(r, 32), 0u);
  EXPECT_EQ(get_bits(r, 5), 0u);
  EXPECT_EQ(peek_bits(r, 1), 0u);
  skip_bytes(r, 10);
  EXPECT_EQ(bit_position(r), 8388608u);
  EXPECT_TRUE(at_end(r));
}

INSTANTIATE_TEST_SUITE_P(
    HowTheLastByteIsRead, ExactBlockFileTest,
    ::testing::Values(LastByteCase{"get_bits_8", LastByteRead::get_bits_8},
                      LastByteCase{"eight_get_bit", LastByteRead::eight_get_bit},
                      LastByteCase{"get_bits_3_then_5", LastByteRead::get_bits_3_then_5},
                      LastByteCase{"skip_bytes_1", LastByteRead::skip_one},
                      LastByteCase{"get_bits_32_over_the_last_4", LastByteRead::get_bits_32}),
    ByName());

// ---------------------------------------------------------------------------------------------
// A full block followed by k more bytes: a look-ahead over the block end sees them only when
// at least 4 follow, while reads deliver them in every case, once each.

class BlockPlusTailTest : public BitReaderTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(BlockPlusTailTest, LookAheadFourBitsIntoTheLastByteOfTheBlock) {
  const size_t tail = GetParam();
  Bytes data = test_support::filler(kBlock + tail, 11);
  BitReader& r = open_bytes(data);
  skip_bytes(r, static_cast<int64_t>(kBlock - 1));
  get_bits(r, 4);
  ASSERT_EQ(bit_position(r), kBlockBits - 4);

  const uint32_t low_nibble = data[kBlock - 1] & 0xFu;
  const bool sees_tail = tail >= 4;
  for (int repeat = 0; repeat < 3; ++repeat) {  // looking again changes nothing
    EXPECT_EQ(peek_bits(r, 4), low_nibble);
    EXPECT_EQ(peek_bits(r, 8), sees_tail ? (low_nibble << 4) | (data[kBlock] >> 4) : 0u);
    EXPECT_EQ(peek_bits(r, 5), sees_tail ? (low_nibble << 1) | (data[kBlock] >> 7) : 0u);
    // 4 + 8 * tail bits are all there, yet with fewer than 4 bytes behind the block the
    // look-ahead treats the data as ending at the block end.
    if (tail <= 3) {
      EXPECT_EQ(peek_bits(r, static_cast<int>(4 + 8 * tail)), 0u);
    }
    if (sees_tail) {
      EXPECT_EQ(peek_bits(r, 28), (low_nibble << 24) | (uint32_t{data[kBlock]} << 16) |
                                      (uint32_t{data[kBlock + 1]} << 8) | data[kBlock + 2]);
    }
    EXPECT_EQ(bit_position(r), kBlockBits - 4);
    EXPECT_FALSE(at_end(r));
  }

  EXPECT_EQ(get_bits(r, 4), low_nibble);
  EXPECT_EQ(bit_position(r), kBlockBits);
  for (size_t i = 0; i < tail; ++i) {
    EXPECT_FALSE(at_end(r));
    EXPECT_EQ(get_bits(r, 8), data[kBlock + i]) << "tail byte " << i;
  }
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(bit_position(r), 8u * (kBlock + tail));
  EXPECT_EQ(get_bits(r, 8), 0u);
}

TEST_P(BlockPlusTailTest, LookAheadFromTheStartOfTheLastByteOfTheBlock) {
  const size_t tail = GetParam();
  Bytes data = test_support::filler(kBlock + tail, 13);
  BitReader& r = open_bytes(data);
  skip_bytes(r, static_cast<int64_t>(kBlock - 1));

  const uint32_t last = data[kBlock - 1];
  const bool sees_tail = tail >= 4;
  // Ending exactly on the last bit of the block is always seen.
  EXPECT_EQ(peek_bits(r, 8), last);
  EXPECT_EQ(peek_bits(r, 9), sees_tail ? (last << 1) | (data[kBlock] >> 7) : 0u);
  EXPECT_EQ(peek_bits(r, 32), sees_tail ? (last << 24) | (uint32_t{data[kBlock]} << 16) |
                                              (uint32_t{data[kBlock + 1]} << 8) |
                                              data[kBlock + 2]
                                        : 0u);

  // Reads cross the block end normally.
  const uint32_t word = get_bits(r, 32);
  uint32_t expected = last << 24;
  for (size_t i = 0; i < 3; ++i) {
    if (i < tail) expected |= uint32_t{data[kBlock + i]} << (16 - 8 * i);
  }
  EXPECT_EQ(word, expected);
  EXPECT_EQ(bit_position(r), 8u * (kBlock + std::min<size_t>(tail, 3)));
  EXPECT_EQ(at_end(r), tail <= 3);
}

TEST_P(BlockPlusTailTest, LookAheadAtTheStartOfTheTailSeesTheTailToItsEnd) {
  const size_t tail = GetParam();
  Bytes data = test_support::filler(kBlock + tail, 17);
  BitReader& r = open_bytes(data);
  skip_bytes(r, static_cast<int64_t>(kBlock));
  ASSERT_EQ(r.bytes_in_buffer, static_cast<int32_t>(tail));
  const int n = static_cast<int>(std::min<size_t>(tail, 4) * 8);
  uint32_t expected = 0;
  for (int i = 0; i < n / 8; ++i) expected = (expected << 8) | data[kBlock + static_cast<size_t>(i)];
  EXPECT_EQ(peek_bits(r, n), expected);
  if (tail < 4) {
    EXPECT_EQ(peek_bits(r, n + 1), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(TailBytes, BlockPlusTailTest, ::testing::Values(1, 2, 3, 4, 5),
                         [](const ::testing::TestParamInfo<size_t>& p) {
                           return "block_plus_" + std::to_string(p.param);
                         });

// ---------------------------------------------------------------------------------------------
// Look-ahead at the end of a short file: exactly n bits left gives them, n + 1 gives 0.

struct PeekAtEndCase {
  const char* name;
  Bytes data;
  uint64_t skip_bits;
  int n;  // bits left
  uint32_t value;
};

class PeekAtEndTest : public BitReaderTest, public ::testing::WithParamInterface<PeekAtEndCase> {};

TEST_P(PeekAtEndTest, ExactlyTheBitsLeft) {
  const PeekAtEndCase& c = GetParam();
  BitReader& r = open_bytes(c.data);
  advance_bits(r, c.skip_bits);
  EXPECT_EQ(peek_bits(r, c.n), c.value);
  if (c.n < 32) {
    EXPECT_EQ(peek_bits(r, c.n + 1), 0u);
  }
  EXPECT_EQ(bit_position(r), c.skip_bits);
  EXPECT_EQ(get_bits(r, c.n), c.value);
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(peek_bits(r, 1), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ShortFiles, PeekAtEndTest,
    ::testing::Values(PeekAtEndCase{"one_byte", {0xC3}, 0, 8, 0xC3},
                      PeekAtEndCase{"five_bits_of_one_byte", {0xC3}, 3, 5, 0x03},
                      PeekAtEndCase{"twenty_bits_four_into_a_byte", {0xAB, 0xCD, 0xEF}, 4, 20,
                                    0xBCDEF},
                      PeekAtEndCase{"thirty_two_bits", {0, 0, 1, 0xBA, 0x12, 0x34, 0x56}, 24, 32,
                                    0xBA123456},
                      PeekAtEndCase{"one_bit", {0x01}, 7, 1, 1}),
    ByName());

// ---------------------------------------------------------------------------------------------
// Reads that run past the end keep the bits that are there and read 0 beyond.

struct PastEndCase {
  const char* name;
  Bytes data;
  uint64_t skip_bits;
  int n;
  uint32_t value;
  uint64_t advance;
};

class ReadPastEndTest : public BitReaderTest, public ::testing::WithParamInterface<PastEndCase> {};

TEST_P(ReadPastEndTest, MissingBitsReadAsZero) {
  const PastEndCase& c = GetParam();
  BitReader& r = open_bytes(c.data);
  advance_bits(r, c.skip_bits);
  EXPECT_EQ(get_bits(r, c.n), c.value);
  EXPECT_EQ(bit_position(r), c.skip_bits + c.advance);
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(get_bits(r, c.n), 0u);
  EXPECT_EQ(get_bit(r), 0u);
  EXPECT_EQ(bit_position(r), c.skip_bits + c.advance);
}

INSTANTIATE_TEST_SUITE_P(
    ShortFiles, ReadPastEndTest,
    ::testing::Values(
        PastEndCase{"two_bytes_left_get_32", {0xAB, 0xCD}, 0, 32, 0xABCD0000, 16},
        PastEndCase{"twenty_bits_left_get_32", {0xAB, 0xCD, 0xEF}, 4, 32, 0xBCDEF000, 20},
        PastEndCase{"two_bytes_left_get_24", {0x12, 0xAB, 0xCD}, 8, 24, 0xABCD00, 16},
        PastEndCase{"twenty_bits_left_get_24", {0xAB, 0xCD, 0xEF}, 4, 24, 0xBCDEF0, 20},
        PastEndCase{"one_byte_left_get_16", {0x7E}, 0, 16, 0x7E00, 8},
        PastEndCase{"three_bits_left_get_8", {0x05}, 5, 8, 0xA0, 3},
        PastEndCase{"nothing_left_get_8", {0x7E}, 8, 8, 0, 0}),
    ByName());

TEST_F(BitReaderTest, TwoBytesLeftOfAFullBlockGet32) {
  const Bytes data = test_support::filler(kBlock, 19);
  BitReader& r = open_bytes(data);
  skip_bytes(r, static_cast<int64_t>(kBlock - 2));
  EXPECT_EQ(get_bits(r, 32), (uint32_t{data[kBlock - 2]} << 24) | (uint32_t{data[kBlock - 1]} << 16));
  EXPECT_EQ(bit_position(r), kBlockBits);
  EXPECT_TRUE(at_end(r));
}

TEST_F(BitReaderTest, TwentyBitsLeftOfAFullBlockGet32) {
  const Bytes data = test_support::filler(kBlock, 23);
  BitReader& r = open_bytes(data);
  skip_bytes(r, static_cast<int64_t>(kBlock - 3));
  get_bits(r, 4);
  const uint32_t expected = ((uint32_t{data[kBlock - 3]} & 0xFu) << 28) |
                            (uint32_t{data[kBlock - 2]} << 20) | (uint32_t{data[kBlock - 1]} << 12);
  EXPECT_EQ(get_bits(r, 32), expected);
  EXPECT_EQ(bit_position(r), kBlockBits);
  EXPECT_TRUE(at_end(r));
}

// ---------------------------------------------------------------------------------------------
// A whole multi-block file read with a mix of widths, look-aheads and skips: every bit comes
// once, in order, bit_position counts exactly, and the end is met at the last bit.

// Runs random reads, look-aheads and skips against the model until the end of the data or
// max_operations; returns the number of mismatches (it stops at the first few).
int run_random_reads(BitReader& r, BitModel& model, std::mt19937& rng, uint64_t max_operations) {
  std::uniform_int_distribution<int> pick(0, 99);
  std::uniform_int_distribution<int> width(1, 32);
  std::uniform_int_distribution<int> small_skip(0, 40);
  std::uniform_int_distribution<int> large_skip(1, 20000);
  int failures = 0;
  for (uint64_t operations = 1; !at_end(r) && operations <= max_operations && failures < 5;
       ++operations) {
    const int op = pick(rng);
    std::string what;
    uint32_t expected = 0;
    uint32_t got = 0;
    if (op < 40) {
      const int n = width(rng);
      what = "get_bits(" + std::to_string(n) + ")";
      expected = model.get(n);
      got = get_bits(r, n);
    } else if (op < 50) {
      const int n = 8 * (1 + width(rng) % 4);
      what = "get_bits(" + std::to_string(n) + ")";
      expected = model.get(n);
      got = get_bits(r, n);
    } else if (op < 60) {
      what = "get_bit";
      expected = model.get(1);
      got = get_bit(r);
    } else if (op < 85) {
      const int n = width(rng);
      what = "peek_bits(" + std::to_string(n) + ")";
      expected = model.peek(n);
      got = peek_bits(r, n);
    } else if (op < 95) {
      const int n = small_skip(rng);
      what = "skip_bytes(" + std::to_string(n) + ")";
      model.skip(static_cast<uint64_t>(n));
      skip_bytes(r, n);
    } else if (op < 99) {
      const int n = static_cast<int>(8 - model.position() % 8);  // to the next byte boundary
      what = "get_bits(" + std::to_string(n) + ") to align";
      expected = model.get(n);
      got = get_bits(r, n);
    } else if (rng() % 64 == 0) {
      const int n = large_skip(rng);
      what = "skip_bytes(" + std::to_string(n) + ")";
      model.skip(static_cast<uint64_t>(n));
      skip_bytes(r, n);
    }
    if (got != expected) {
      ADD_FAILURE() << "operation " << operations << ", " << what << " at bit "
                    << bit_position(r) << ": got " << got << ", expected " << expected;
      ++failures;
    }
    if (bit_position(r) != model.position()) {
      ADD_FAILURE() << "after operation " << operations << ", " << what << ": bit_position "
                    << bit_position(r) << ", expected " << model.position();
      return failures + 1;
    }
    if (at_end(r) != (model.position() == model.total())) {
      ADD_FAILURE() << "after operation " << operations << ", " << what << ": at_end "
                    << at_end(r) << " at bit " << model.position() << " of " << model.total();
      return failures + 1;
    }
  }
  return failures;
}

Bytes random_bytes(size_t size) {
  Bytes data(size);
  std::mt19937 rng(static_cast<uint32_t>(size));
  for (uint8_t& b : data) b = static_cast<uint8_t>(rng() & 0xFF);
  return data;
}

class WholeFileTest : public BitReaderTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(WholeFileTest, MixedReadsDeliverEveryBitOnce) {
  const size_t size = GetParam();
  const Bytes data = random_bytes(size);
  BitReader& r = open_bytes(data);
  BitModel model(data);
  std::mt19937 rng(static_cast<uint32_t>(size) + 1);
  EXPECT_EQ(run_random_reads(r, model, rng, UINT64_MAX), 0);
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(bit_position(r), 8u * size);
}

// The same mix, many times over a short stretch before every block end and the end of the file.
TEST_P(WholeFileTest, MixedReadsOverEveryBlockEnd) {
  const size_t size = GetParam();
  const Bytes data = random_bytes(size);
  const std::string path = dir_.write("input.bin", data);
  std::mt19937 rng(static_cast<uint32_t>(size) + 2);
  std::uniform_int_distribution<int> lead(0, 40 * 8);
  int failures = 0;
  for (size_t boundary = kBlock; failures == 0; boundary += kBlock) {
    const size_t stop = std::min(boundary, size);
    for (int round = 0; round < 25 && failures == 0; ++round) {
      OpenReader reader;
      BitReader& r = reader.open(path);
      BitModel model(data);
      const uint64_t start = 8 * stop - static_cast<uint64_t>(lead(rng));
      skip_bytes(r, static_cast<int64_t>(start / 8));
      model.skip(start / 8);
      const int bits = static_cast<int>(start % 8);
      EXPECT_EQ(get_bits(r, bits == 0 ? 8 : bits), model.get(bits == 0 ? 8 : bits));
      failures += run_random_reads(r, model, rng, 120);
    }
    if (stop == size) break;
  }
  EXPECT_EQ(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(FileSizes, WholeFileTest,
                         ::testing::Values(2 * kBlock + 12345, 2 * kBlock, kBlock + 3),
                         [](const ::testing::TestParamInfo<size_t>& p) {
                           return "bytes_" + std::to_string(p.param);
                         });

TEST_F(BitReaderTest, WholeBytesAcrossThreeBlocksComeInFileOrder) {
  const size_t size = 3 * kBlock - 5;
  const Bytes data = test_support::filler(size, 29);
  BitReader& r = open_bytes(data);
  size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    const uint32_t expected = (uint32_t{data[i]} << 24) | (uint32_t{data[i + 1]} << 16) |
                              (uint32_t{data[i + 2]} << 8) | data[i + 3];
    const uint32_t got = get_bits(r, 32);
    if (got != expected) {
      ADD_FAILURE() << "word at byte " << i;
      break;
    }
  }
  for (; i < size; ++i) EXPECT_EQ(get_bits(r, 8), data[i]);
  EXPECT_TRUE(at_end(r));
  EXPECT_EQ(bit_position(r), 8u * size);
}

// ---------------------------------------------------------------------------------------------
// Start-code searches: next_start_code(1, 24) and its block-wise twin next_start_code_prefix
// must agree on every case.

struct SearchCase {
  const char* name;
  size_t file_size;                              // filler (never 0x00 or 0x01) of this size,
  std::vector<std::pair<size_t, Bytes>> patches;  // with these bytes written over it
  uint64_t start_bits;                           // where the search starts
  bool found;
  uint64_t position_after;
  int next_byte;  // get_bits(8) after the search; -1: not checked
  bool at_end_after;
};

Bytes search_file(const SearchCase& c) {
  Bytes data = test_support::filler(c.file_size, 31);
  for (const auto& [offset, bytes] : c.patches) {
    std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return data;
}

enum class Search { general, prefix };

class StartCodeSearchTest
    : public BitReaderTest,
      public ::testing::WithParamInterface<std::tuple<SearchCase, Search>> {};

TEST_P(StartCodeSearchTest, FindsTheNextByteAlignedPrefix) {
  const SearchCase& c = std::get<0>(GetParam());
  const Search search = std::get<1>(GetParam());
  BitReader& r = open_bytes(search_file(c));
  if (c.start_bits % 8 == 0) {
    skip_bytes(r, static_cast<int64_t>(c.start_bits / 8));
  } else {
    advance_bits(r, c.start_bits);
  }
  ASSERT_EQ(bit_position(r), c.start_bits);

  const bool found = search == Search::general ? next_start_code(r, 1, 24)
                                               : next_start_code_prefix(r);
  EXPECT_EQ(found, c.found);
  EXPECT_EQ(bit_position(r), c.position_after);
  EXPECT_EQ(at_end(r), c.at_end_after);
  EXPECT_EQ(r.bit_index, 8);
  if (c.next_byte >= 0) {
    EXPECT_EQ(get_bits(r, 8), static_cast<uint32_t>(c.next_byte));
  }
}

const SearchCase kSearchCases[] = {
    {"stray_byte_then_prefix", 5, {{0, {0xFF, 0x00, 0x00, 0x01, 0xE0}}}, 0, true, 32, 0xE0, false},
    {"prefix_at_the_start", 4, {{0, {0x00, 0x00, 0x01, 0xBB}}}, 0, true, 24, 0xBB, false},
    {"three_zeros_then_one", 5, {{0, {0x00, 0x00, 0x00, 0x01, 0xBA}}}, 0, true, 32, 0xBA, false},
    {"one_after_a_single_zero_is_passed", 7, {{0, {0x05, 0x00, 0x01, 0x00, 0x00, 0x01, 0xC0}}},
     0, true, 48, 0xC0, false},
    // Three bits into the first byte: its other five bits are dropped first. Read bit by bit
    // from there, 00000 00000000 00000000 001 would already be a match.
    {"three_bits_into_a_byte", 8, {{0, {0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x01, 0xB3}}}, 3,
     true, 56, 0xB3, false},
    {"file_ends_in_the_prefix", 5, {{0, {0x12, 0x34, 0x00, 0x00, 0x01}}}, 0, true, 40, 0, true},
    {"no_prefix", 6, {{0, {0x12, 0x00, 0x01, 0x00, 0x00, 0x00}}}, 0, false, 48, 0, true},
    {"two_byte_file", 2, {{0, {0x00, 0x01}}}, 0, false, 16, 0, true},
    {"started_at_the_end", 1, {{0, {0x00}}}, 8, false, 8, 0, true},
    {"started_inside_the_last_byte", 1, {{0, {0x00}}}, 3, false, 8, 0, true},
    // Across the end of the first block.
    {"prefix_00_00_then_01_over_the_block_end", kBlock + 16,
     {{kBlock - 2, {0x00, 0x00, 0x01, 0xE0}}}, 8 * (kBlock - 64), true, 8 * (kBlock + 1), 0xE0,
     false},
    {"prefix_00_then_00_01_over_the_block_end", kBlock + 16,
     {{kBlock - 1, {0x00, 0x00, 0x01, 0xC0}}}, 8 * (kBlock - 64), true, 8 * (kBlock + 2), 0xC0,
     false},
    {"prefix_ends_on_the_last_byte_of_the_block", kBlock + 16,
     {{kBlock - 3, {0x00, 0x00, 0x01, 0xBD}}}, 8 * (kBlock - 64), true, kBlockBits, 0xBD, false},
    {"search_starts_on_the_last_byte_of_the_block", kBlock + 16,
     {{kBlock - 1, {0x00, 0x00, 0x01, 0xBE}}}, 8 * (kBlock - 1), true, 8 * (kBlock + 2), 0xBE,
     false},
    // The zero before the search's start is not part of a match.
    {"zero_before_the_start_does_not_count", kBlock + 16,
     {{kBlock - 2, {0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x00, 0x00, 0x01, 0xC0}}},
     8 * (kBlock - 1), true, 8 * (kBlock + 8), 0xC0, false},
    {"zeros_at_the_block_end_then_no_one", kBlock + 16,
     {{kBlock - 2, {0x00, 0x00, 0x02, 0x00, 0x00, 0x01, 0xB3}}}, 8 * (kBlock - 64), true,
     8 * (kBlock + 4), 0xB3, false},
    {"one_block_file_ends_in_the_prefix", kBlock, {{kBlock - 3, {0x00, 0x00, 0x01}}}, 0, true,
     kBlockBits, 0, true},
    {"one_block_file_without_prefix", kBlock, {}, 0, false, kBlockBits, 0, true},
    {"prefix_in_the_third_block", 2 * kBlock + 100, {{2 * kBlock + 50, {0x00, 0x00, 0x01, 0xE1}}},
     0, true, 8 * (2 * kBlock + 53), 0xE1, false},
    {"three_blocks_without_prefix", 2 * kBlock + 7, {}, 12, false, 8 * (2 * kBlock + 7), 0, true},
};

INSTANTIATE_TEST_SUITE_P(
    Cases, StartCodeSearchTest,
    ::testing::Combine(::testing::ValuesIn(kSearchCases),
                       ::testing::Values(Search::general, Search::prefix)),
    [](const ::testing::TestParamInfo<std::tuple<SearchCase, Search>>& p) {
      return std::string(std::get<0>(p.param).name) +
             (std::get<1>(p.param) == Search::general ? "_general" : "_prefix");
    });

struct PatternCase {
  const char* name;
  Bytes data;
  uint32_t value;
  int nbits;
  bool found;
  uint64_t position_after;
};

class PatternSearchTest : public BitReaderTest, public ::testing::WithParamInterface<PatternCase> {};

TEST_P(PatternSearchTest, MatchesTheMaskedLastBits) {
  const PatternCase& c = GetParam();
  BitReader& r = open_bytes(c.data);
  EXPECT_EQ(next_start_code(r, c.value, c.nbits), c.found);
  EXPECT_EQ(bit_position(r), c.position_after);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, PatternSearchTest,
    ::testing::Values(
        PatternCase{"pack_start_code_32_bits",
                    {0x00, 0x00, 0x01, 0xE0, 0x00, 0x00, 0x01, 0xBA, 0x44}, 0x000001BA, 32, true,
                    64},
        PatternCase{"first_32_bit_code", {0x00, 0x00, 0x01, 0xE0, 0x00, 0x00, 0x01, 0xBA},
                    0x000001E0, 32, true, 32},
        PatternCase{"one_byte", {0x12, 0x47, 0x00}, 0x47, 8, true, 16},
        PatternCase{"one_byte_missing", {0x12, 0x34}, 0xBA, 8, false, 16},
        PatternCase{"sixteen_bits", {0x12, 0xFF, 0xF1, 0x00}, 0xFFF1, 16, true, 24}),
    ByName());

// ---------------------------------------------------------------------------------------------
// skip_bytes(n) leaves the reader exactly where n calls of get_bits(8) leave it.

struct SkipCase {
  const char* name;
  size_t file_size;
  uint64_t start_bits;
  uint64_t n;
};

class SkipBytesTest : public BitReaderTest, public ::testing::WithParamInterface<SkipCase> {};

TEST_P(SkipBytesTest, SameAsReadingEachByte) {
  const SkipCase& c = GetParam();
  const std::string path = dir_.write("skip.bin", test_support::filler(c.file_size, 37));
  OpenReader other;
  BitReader& skipped = reader_.open(path);
  BitReader& read = other.open(path);
  advance_bits(skipped, c.start_bits);
  advance_bits(read, c.start_bits);

  skip_bytes(skipped, static_cast<int64_t>(c.n));
  for (uint64_t i = 0; i < c.n; ++i) get_bits(read, 8);

  EXPECT_EQ(bit_position(skipped), bit_position(read));
  EXPECT_EQ(at_end(skipped), at_end(read));
  EXPECT_EQ(skipped.bit_index, read.bit_index);
  EXPECT_EQ(peek_bits(skipped, 32), peek_bits(read, 32));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(get_bits(skipped, 32), get_bits(read, 32));
  EXPECT_EQ(get_bits(skipped, 7), get_bits(read, 7));
  EXPECT_EQ(bit_position(skipped), bit_position(read));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkipBytesTest,
    ::testing::Values(
        SkipCase{"nothing", 1000, 0, 0}, SkipCase{"a_few", 1000, 0, 10},
        SkipCase{"a_few_unaligned", 1000, 3, 10}, SkipCase{"to_the_end", 1000, 0, 1000},
        SkipCase{"past_the_end", 1000, 0, 5000},
        SkipCase{"unaligned_to_the_end", 1000, 5, 999},
        SkipCase{"unaligned_past_the_end", 1000, 5, 1200},
        SkipCase{"to_the_start_of_the_second_block", kBlock + 10, 0, kBlock},
        SkipCase{"onto_the_block_boundary", kBlock + 10, 8 * (kBlock - 1), 1},
        SkipCase{"over_the_block_boundary", kBlock + 10, 8 * (kBlock - 3), 5},
        SkipCase{"unaligned_over_the_block_boundary", kBlock + 10, 8 * (kBlock - 3) + 2, 5},
        SkipCase{"over_two_blocks", 2 * kBlock + 5, 16, 2 * kBlock - 12},
        SkipCase{"to_the_end_of_an_exact_multiple", 2 * kBlock, 0, 2 * kBlock},
        SkipCase{"past_the_end_of_an_exact_multiple", 2 * kBlock, 8, 3 * kBlock}),
    ByName());

// ---------------------------------------------------------------------------------------------
// Fatal input failures: one message on standard output, exit status 1.

// Runs in the child of a death test: its standard output goes to its standard error, where
// the death test looks for the message.
void open_with_stdout_on_stderr(const std::string& path) {
  std::fflush(stdout);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  OpenReader reader;
  reader.open(path);
}

using BitReaderDeathTest = BitReaderTest;

TEST_F(BitReaderDeathTest, EmptyFile) {
  const std::string path = dir_.write("empty.mpg", {});
  EXPECT_EXIT(open_with_stdout_on_stderr(path), ::testing::ExitedWithCode(1),
              ::testing::Eq("Unable to read from file " + path + ".\n"));
}

TEST_F(BitReaderDeathTest, FileThatDoesNotExist) {
  const std::string path = dir_.file("missing.mpg");
  EXPECT_EXIT(open_with_stdout_on_stderr(path), ::testing::ExitedWithCode(1),
              ::testing::Eq("Unable to open file " + path + " for reading.\n"));
}

TEST_F(BitReaderDeathTest, FolderOpensButCannotBeRead) {
  const std::string path = dir_.file("folder.vob");
  ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
  EXPECT_EXIT(open_with_stdout_on_stderr(path), ::testing::ExitedWithCode(1),
              ::testing::Eq("Unable to read from file " + path + ".\n"));
}

// A pipe cannot be repositioned: a look-ahead across the end of its first block fails.
void look_across_the_block_end_of_a_pipe(const std::string& fifo) {
  std::fflush(stdout);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  const pid_t writer = ::fork();
  if (writer == 0) {
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    const Bytes data = test_support::filler(kBlock + 10, 41);
    size_t done = 0;
    while (fd >= 0 && done < data.size()) {
      const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  OpenReader reader;
  BitReader& r = reader.open(fifo);
  skip_bytes(r, static_cast<int64_t>(kBlock - 1));
  peek_bits(r, 16);
  std::fputs("look-ahead returned\n", stderr);
  std::exit(0);
}

TEST_F(BitReaderDeathTest, LookAheadThatCannotPutThePositionBack) {
  const std::string fifo = dir_.file("pipe.mpg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EXIT(look_across_the_block_end_of_a_pipe(fifo), ::testing::ExitedWithCode(1),
              ::testing::Eq(std::string("Unable to set file position.\n")));
}

}  // namespace
