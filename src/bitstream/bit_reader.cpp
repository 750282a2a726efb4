#include "bitstream/bit_reader.h"

#include <cstring>

#include "report/output.h"

namespace {

constexpr uint8_t bit_masks[8] = {1, 2, 4, 8, 16, 32, 64, 128};

// A byte has been consumed completely: step to the next one, refilling after a full block.
// A block shorter than kBlockSize is the last one: the file is not read again after it.
inline void take_byte_step(BitReader& r) {
  r.byte_index += 1;
  if (r.byte_index == r.bytes_in_buffer) {
    if (r.bytes_in_buffer == kBlockSize) {
      fill_buffer(r);
    } else {
      r.at_end = true;
    }
    r.byte_index = 0;
  }
}


uint32_t get_bits_bit_by_bit(BitReader& r, int n) {
  uint32_t value = 0;
  for (int i = 0; i < n; ++i) value = (value << 1) | get_bit(r);
  return value;
}

uint32_t get_bytes_whole(BitReader& r, int n) {
  uint32_t value = 0;
  for (int i = 0; i < n / 8; ++i) {
    if (r.at_end) {
      value <<= 8;
      continue;
    }
    value = (value << 8) | r.buffer[r.byte_index];
    r.bit_position += 8;
    take_byte_step(r);
  }
  return value;
}

// Reads up to 4 bytes behind a full block into scratch and puts the file position back.
// Returns the number that came. A failed read counts as bytes that did not come; its error
// indicator is cleared, so that the next block's read is judged on its own.
int read_look_ahead(BitReader& r, uint8_t* scratch) {
  const size_t got = std::fread(scratch, 1, 4, r.input_file);
  std::clearerr(r.input_file);
  if (got > 0 && std::fseek(r.input_file, -static_cast<long>(got), SEEK_CUR) != 0) {
    fail_run(*r.report, "Unable to set file position.\n");
  }
  return static_cast<int>(got);
}

uint32_t peek_bits_bit_by_bit(BitReader& r, int n) {
  int byte_index = r.byte_index;
  int bit_index = r.bit_index;
  bool ended = r.at_end;
  const uint8_t* source = r.buffer;
  uint8_t scratch[4];
  uint32_t value = 0;
  for (int i = 0; i < n; ++i) {
    if (ended) return 0;
    const uint32_t bit = static_cast<uint32_t>(source[byte_index] & bit_masks[(bit_index - 1) & 7]) >>
                         (bit_index - 1);
    value = (value << 1) | bit;
    bit_index -= 1;
    if (bit_index == 0) {
      bit_index = 8;
      byte_index += 1;
      if (source == r.buffer && byte_index == r.bytes_in_buffer) {
        if (r.bytes_in_buffer == kBlockSize) {
          if (read_look_ahead(r, scratch) == 4) {
            source = scratch;
          } else {
            ended = true;
          }
        } else {
          ended = true;
        }
        byte_index = 0;
      }
    }
  }
  return value;
}

}  // namespace

void open_input(BitReader& r, const char* path, Output& report) {
  r.path = path;
  r.report = &report;
  r.input_file = std::fopen(path, "rb");
  if (r.input_file == nullptr) fail_run(report, "Unable to open file %s for reading.\n", path);
  r.byte_index = 0;
  r.bit_index = 8;
  r.bit_position = 0;
  r.bytes_in_buffer = 0;
  r.blocks_read = 0;
  r.at_end = false;
  if (!fill_buffer(r)) fail_run(report, "Unable to read from file %s.\n", path);
}

void close_input(BitReader& r) {
  if (r.input_file != nullptr) std::fclose(r.input_file);
  r.input_file = nullptr;
}

bool fill_buffer(BitReader& r) {
  const size_t got = std::fread(r.buffer, 1, kBlockSize, r.input_file);
  if (got < static_cast<size_t>(kBlockSize) && std::ferror(r.input_file) != 0) {
    fail_run(*r.report,
             r.blocks_read == 0 ? "Unable to read from file %s.\n"
                                : "\nUnable to read from file %s.\n",
             r.path);
  }
  r.blocks_read += 1;
  if (got == 0) {
    r.at_end = true;
    return false;
  }
  r.bytes_in_buffer = static_cast<int32_t>(got);
  return true;
}

uint32_t get_bit(BitReader& r) {
  if (r.at_end) return 0;
  const uint32_t bit = static_cast<uint32_t>(r.buffer[r.byte_index] & bit_masks[(r.bit_index - 1) & 7]) >>
                       (r.bit_index - 1);
  r.bit_position += 1;
  r.bit_index -= 1;
  if (r.bit_index == 0) {
    r.bit_index = 8;
    take_byte_step(r);
  }
  return bit;
}

uint32_t get_bits_exact(BitReader& r, int n) {
  if (n <= 0) return 0;
  if (r.bit_index == 8 && (n & 7) == 0) return get_bytes_whole(r, n);
  return get_bits_bit_by_bit(r, n);
}

uint32_t peek_bits_exact(BitReader& r, int n) {
  if (n <= 0) return 0;
  return peek_bits_bit_by_bit(r, n);
}

bool next_start_code(BitReader& r, uint32_t value, int nbits) {
  const uint32_t mask = nbits >= 32 ? 0xFFFFFFFFu : (1u << nbits) - 1u;
  while (r.bit_index != 8) get_bit(r);
  uint32_t word = get_bits(r, nbits);
  for (;;) {
    if ((word & mask) == value) return true;
    if (r.at_end) return false;
    word = (word << 8) | get_bits(r, 8);
  }
}

bool next_start_code_prefix(BitReader& r) {
#ifdef PSSIFT_PLAIN_PATH
  return next_start_code(r, 1, 24);
#else
  while (r.bit_index != 8) get_bit(r);
  // The two bytes consumed last, oldest in the high byte; 0xFFFF before the search has
  // consumed any, so that no match can use bytes from before the search.
  uint32_t last_two = 0xFFFF;
  while (!r.at_end) {
    const uint8_t* block = r.buffer;
    const int32_t first = r.byte_index;
    const int32_t end = r.bytes_in_buffer;
    int32_t from = first;
    while (from < end) {
      const void* hit = std::memchr(block + from, 0x01, static_cast<size_t>(end - from));
      if (hit == nullptr) break;
      const auto j = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - block);
      const uint32_t before1 = j - 1 >= first ? block[j - 1] : (last_two & 0xFF);
      const uint32_t before2 = j - 2 >= first   ? block[j - 2]
                               : j - 1 >= first ? (last_two & 0xFF)
                                                : (last_two >> 8);
      if (before1 == 0 && before2 == 0) {
        r.bit_position += 8 * static_cast<uint64_t>(j + 1 - first);
        r.byte_index = j;
        take_byte_step(r);
        return true;
      }
      from = j + 1;
    }
    // No prefix ends in this block: consume it whole.
    const int32_t taken = end - first;
    if (taken >= 2) {
      last_two = (static_cast<uint32_t>(block[end - 2]) << 8) | block[end - 1];
    } else {
      last_two = ((last_two << 8) | block[end - 1]) & 0xFFFF;
    }
    r.bit_position += 8 * static_cast<uint64_t>(taken);
    r.byte_index = end - 1;
    take_byte_step(r);
  }
  return false;
#endif
}

void skip_bytes(BitReader& r, int64_t n) {
#ifndef PSSIFT_PLAIN_PATH
  if (r.bit_index == 8) {
    while (n > 0 && !r.at_end) {
      const int32_t available = r.bytes_in_buffer - r.byte_index;
      if (n < available) {
        r.byte_index += static_cast<int32_t>(n);
        r.bit_position += 8 * static_cast<uint64_t>(n);
        return;
      }
      r.bit_position += 8 * static_cast<uint64_t>(available);
      n -= available;
      r.byte_index = r.bytes_in_buffer - 1;
      take_byte_step(r);
    }
    return;
  }
#endif
  for (int64_t i = 0; i < n; ++i) {
    if (r.at_end) return;
    get_bits(r, 8);
  }
}
