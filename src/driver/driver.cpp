#include "driver/driver.h"

#include <climits>
#include <cstdlib>

#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kPacketStartLine = "\npacket_start_code_prefix = %06X\n";

constexpr const char* kUsageText[] = {
    "\npsSIFT is an MPEG program stream analyzer\n\n",
    "Usage: psSIFT  MPEG filename  <verbose level 1..4, default = 1>\n\n",
    "Examples:\n",
    "  To list the timing information for all packets\n",
    "     psSIFT test.mpg 1\n\n",
    "  To list all packets in detail (can generate huge files)\n",
    "     psSIFT test.mpg 2\n\n",
    "  To list all packets visually saving to file test.txt\n",
    "     psSIFT test.vob 3 > test.txt\n\n",
    "  To list all packets visually including PTS, DTS and P-STD info\n",
    "     psSIFT test.vob 4\n",
};

void print_banner(Output& o) {
  out_text(o, "psSIFT - version 1.7, an MPEG program stream analyser by the psSIFT authors\n");
  out_text(o, "  Fast paths: thanks to everyone who profiled it on multi-gigabyte streams\n\n");
}

// Whole 32-bit words from the start of the file until the pack start code. Each word is
// compared before the end is tested, so a pack start code in the last aligned word is found.
void find_first_pack(AnalysisState& state) {
  BitReader& r = state.reader;
  uint32_t word = get_bits(r, 32);
  while (word != kPackStartCode) {
    if (at_end(r)) fail_run(state.out, "\nNo pack start code found in file %s.\n", state.path);
    word = get_bits(r, 32);
  }
}

// The element table of the dispatch loop: one decoder per kind of element.
using ElementDecoder = void (*)(AnalysisState&, uint32_t code);

void decode_packet_element(AnalysisState& state, uint32_t code) {
  if (state.verbose_level != 1) {
    print_line(state, 1, kPacketStartLine, code >> 8);
  }
  decode_packet(state, static_cast<uint8_t>(code & 0xFF));
}

struct ElementTable {
  ElementDecoder pack_header;
  ElementDecoder system_header;
  ElementDecoder packet;
};

constexpr ElementTable kElementTable = {read_pack_header, read_system_header,
                                        decode_packet_element};

ElementDecoder element_decoder(uint32_t code) {
  if (code == kPackStartCode) return kElementTable.pack_header;
  if (code == kSystemHeaderStartCode) return kElementTable.system_header;
  return kElementTable.packet;
}

}  // namespace

int32_t parse_verbose_level(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p < '0' || *p > '9') return 1;
  int64_t magnitude = 0;
  while (*p >= '0' && *p <= '9') {
    if (magnitude < 1000) magnitude = magnitude * 10 + (*p - '0');  // far past 4 is enough
    ++p;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value < 1) return 1;
  if (value > 4) return 4;
  return static_cast<int32_t>(value);
}

bool path_is_vob(const char* path) {
  for (const char* p = path; *p != '\0'; ++p) {
    if (p[0] != '.') continue;
    const char* word = "vob";
    int i = 0;
    while (i < 3 && p[1 + i] != '\0') {
      char c = p[1 + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != word[i]) break;
      ++i;
    }
    if (i == 3) return true;
  }
  return false;
}

uint32_t start_up(AnalysisState& state, int argc, char** argv) {
  state.verbose_level = 1;
  print_banner(state.out);
  if (argc < 2) {
    for (const char* line : kUsageText) out_text(state.out, line);
    out_flush(state.out);
    std::exit(1);
  }
  state.path = argv[1];
  open_input(state.reader, state.path, state.out);
  state.is_vob = path_is_vob(state.path);
  if (argc > 2) state.verbose_level = parse_verbose_level(argv[2]);

  find_first_pack(state);
  state.is_mpeg2 = peek_bits(state.reader, 2) == 1;
  out_text(state.out, "\nFile ");
  out_text(state.out, state.path);
  out_text(state.out, state.is_mpeg2 ? " is an MPEG-2 Program Stream\n"
                                     : " is an MPEG-1 Program Stream\n");
  return kPackStartCode;
}

int run_analysis(AnalysisState& state, uint32_t first_code) {
  BitReader& r = state.reader;
  uint32_t code = first_code;
  for (;;) {
    if (code == kProgramEndCode) {
      print_message(state, 1, "\n\nmpeg_program_end_code = %08X\n", code);
      if (state.verbose_level > 2) append_map_code(state, "E");
      break;
    }
    if ((code >> 8) != 1) {
      // Not a start code: on to the next byte-aligned prefix, and dispatch its code at once.
      if (!next_start_code_prefix(r)) break;
      code = 0x00000100u | get_bits(r, 8);
      continue;
    }
    element_decoder(code)(state, code);
    if (at_end(r)) break;
    code = get_bits(r, 32);
  }
  flush_map_line(state);
  print_summary(state);
  close_input(r);
  out_flush(state.out);
  return 0;
}
