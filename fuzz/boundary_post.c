/* AFL++ post-processor for the block-boundary runs of fuzz/run.sh (mode "boundary").
 *
 * afl-fuzz keeps its test cases under 1 MiB, but psSIFT reads its input in 1 MiB blocks, and
 * the code that matters at a block end (refill, look-ahead across the end, end of data after
 * a full block) needs more. This library puts a fixed lead-in of one pack header and padding
 * packets in front of every generated input, so that the first half of the input proper
 * (rounded up) ends the first block and the rest begins the second. The lead-in's pack header is MPEG-2 or
 * MPEG-1 after the first pack header of the input itself, so both decoders get their turn.
 *
 * Built as a library it is loaded through AFL_CUSTOM_MUTATOR_LIBRARY; built with
 * -DBOUNDARY_MAIN it is a command, `boundary-wrap IN OUT`, that writes the stream psSIFT saw
 * for a saved input (fuzz/triage.sh uses it).
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kBlock = 1048576 };

typedef struct {
  uint8_t* buf;
  size_t cap;
} Post;

static size_t put_pack(uint8_t* p, int mpeg2) {
  static const uint8_t m2[14] = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04,
                                 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
  static const uint8_t m1[12] = {0x00, 0x00, 0x01, 0xBA, 0x21, 0x00,
                                 0x01, 0x00, 0x01, 0x80, 0x1B, 0x91};
  if (mpeg2) {
    memcpy(p, m2, sizeof m2);
    return sizeof m2;
  }
  memcpy(p, m1, sizeof m1);
  return sizeof m1;
}

/* MPEG-2 unless the input's first pack header says MPEG-1 (its next two bits are not 01). */
static int input_is_mpeg2(const uint8_t* in, size_t n) {
  for (size_t i = 0; i + 4 < n; ++i) {
    if (in[i] == 0 && in[i + 1] == 0 && in[i + 2] == 1 && in[i + 3] == 0xBA) {
      return (in[i + 4] >> 6) == 1;
    }
  }
  return 1;
}

/* Writes the lead-in, total bytes (at least 32), into p. MPEG-1 padding packets carry the
 * one-byte header 0x0F (no timestamps) before their 0xFF bytes. */
static void put_lead(uint8_t* p, size_t total, int mpeg2) {
  size_t at = put_pack(p, mpeg2);
  while (at < total) {
    size_t left = total - at;
    size_t len = left - 6;
    if (len > 65535) len = 65535;
    if (left - (6 + len) < 6 && left - (6 + len) > 0) len -= 6; /* keep room for one more */
    p[at] = 0x00;
    p[at + 1] = 0x00;
    p[at + 2] = 0x01;
    p[at + 3] = 0xBE;
    p[at + 4] = (uint8_t)(len >> 8);
    p[at + 5] = (uint8_t)(len & 0xFF);
    memset(p + at + 6, 0xFF, len);
    if (!mpeg2) p[at + 6] = 0x0F;
    at += 6 + len;
  }
}

static size_t wrap(Post* s, const uint8_t* in, size_t n, uint8_t** out) {
  const size_t lead = (size_t)kBlock - (n + 1) / 2;
  const size_t need = lead + n;
  if (need > s->cap) {
    uint8_t* grown = (uint8_t*)realloc(s->buf, need);
    if (grown == NULL) return 0;
    s->buf = grown;
    s->cap = need;
  }
  put_lead(s->buf, lead, input_is_mpeg2(in, n));
  memcpy(s->buf + lead, in, n);
  *out = s->buf;
  return need;
}

#ifndef BOUNDARY_MAIN
void* afl_custom_init(void* afl, unsigned int seed) {
  (void)afl;
  (void)seed;
  return calloc(1, sizeof(Post));
}

size_t afl_custom_post_process(void* data, uint8_t* buf, size_t buf_size, uint8_t** out_buf) {
  return wrap((Post*)data, buf, buf_size, out_buf);
}

void afl_custom_deinit(void* data) {
  Post* s = (Post*)data;
  free(s->buf);
  free(s);
}
#else
int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: boundary-wrap IN OUT\n");
    return 2;
  }
  FILE* f = fopen(argv[1], "rb");
  if (f == NULL) return 1;
  static uint8_t in[2 * kBlock];
  const size_t n = fread(in, 1, sizeof in, f);
  fclose(f);
  Post s = {NULL, 0};
  uint8_t* out = NULL;
  const size_t m = wrap(&s, in, n, &out);
  FILE* g = fopen(argv[2], "wb");
  if (g == NULL || fwrite(out, 1, m, g) != m || fclose(g) != 0) return 1;
  free(s.buf);
  return 0;
}
#endif
