// The buffered bit reader: the only access to the input file.
//
// Bits come most significant first, bytes in file order. The file is read in blocks of
// kBlockSize bytes. Every bit at or beyond the end of the data reads as 0, so decoders read
// on by their counts and the dispatch loop decides by at_end() when to stop.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

struct Output;

inline constexpr int32_t kBlockSize = 1048576;

struct BitReader {
  uint8_t buffer[kBlockSize];
  int32_t byte_index = 0;       // index of the byte that holds the next bit
  int32_t bit_index = 8;        // bits of that byte not yet consumed, 8 down to 1
  int32_t bytes_in_buffer = 0;  // valid bytes in buffer
  uint64_t bit_position = 0;    // bits consumed since the start of the file
  uint64_t blocks_read = 0;     // blocks filled so far (tells the first block from later ones)
  std::FILE* input_file = nullptr;
  bool at_end = false;
  const char* path = nullptr;  // as typed, for the messages
  Output* report = nullptr;    // where the fatal messages go
};

// Opens path and reads the first block. Prints "Unable to open file %s for reading.\n" or
// "Unable to read from file %s.\n" through report and exits with status 1 on failure.
void open_input(BitReader& r, const char* path, Output& report);
void close_input(BitReader& r);

// Reads the next block; true when at least one byte came. An empty read sets at_end.
// A read error (a short read with the stream's error indicator set) is fatal.
bool fill_buffer(BitReader& r);

// One bit, 0 or 1; 0 once at_end is set.
uint32_t get_bit(BitReader& r);

// The next n bits (1 to 32), first bit most significant. Bits beyond the end of the data
// are 0 and are not counted in bit_position.
inline uint32_t get_bits(BitReader& r, int n);

// The next n bits (1 to 32) without consuming them; 0 when the data ends before n bits.
// Across the end of a full block it looks at most 4 bytes into the file and moves the file
// position back; when fewer than 4 bytes follow, the data counts as ending at the block end.
inline uint32_t peek_bits(BitReader& r, int n);

// The exact paths of get_bits and peek_bits, bit by bit or byte by byte, block ends included.
uint32_t get_bits_exact(BitReader& r, int n);
uint32_t peek_bits_exact(BitReader& r, int n);

// Aligns to a byte boundary, then consumes bytes until the last nbits consumed, masked,
// equal value. True when found (the reader stands behind the match); false only at the end.
bool next_start_code(BitReader& r, uint32_t value, int nbits);

// next_start_code(r, 1, 24): the next byte-aligned 0x00 0x00 0x01, found block by block.
bool next_start_code_prefix(BitReader& r);

// Consumes n bytes as n get_bits(8) calls would, without looking at them.
void skip_bytes(BitReader& r, int64_t n);

inline uint64_t bit_position(const BitReader& r) { return r.bit_position; }
inline bool at_end(const BitReader& r) { return r.at_end; }

// Inside the block and short of its last 8 bytes, one 64-bit load serves any n up to 32; a
// field never completes the block's last byte there, so no block step can be due.
inline uint32_t get_bits(BitReader& r, int n) {
#ifndef PSSIFT_PLAIN_PATH
  if (r.byte_index + 8 <= r.bytes_in_buffer && !r.at_end && n > 0) {
    const int used = 8 - r.bit_index;
    uint64_t word;
    std::memcpy(&word, r.buffer + r.byte_index, sizeof word);
    word = __builtin_bswap64(word) << used;
    const auto value = static_cast<uint32_t>(word >> (64 - n));
    const int total = used + n;
    r.byte_index += total >> 3;
    r.bit_index = 8 - (total & 7);
    r.bit_position += static_cast<uint64_t>(n);
    return value;
  }
#endif
  return get_bits_exact(r, n);
}

inline uint32_t peek_bits(BitReader& r, int n) {
#ifndef PSSIFT_PLAIN_PATH
  if (r.byte_index + 8 <= r.bytes_in_buffer && !r.at_end && n > 0) {
    uint64_t word;
    std::memcpy(&word, r.buffer + r.byte_index, sizeof word);
    word = __builtin_bswap64(word) << (8 - r.bit_index);
    return static_cast<uint32_t>(word >> (64 - n));
  }
#endif
  return peek_bits_exact(r, n);
}
