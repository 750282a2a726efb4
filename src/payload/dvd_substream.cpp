// DVD private stream 1: the first payload byte is the substream id. AC3 substreams follow it
// with the number of syncwords and the offset of the first; DTS, PCM and subpicture with nothing.
#include "payload/payload.h"
#include "report/report.h"

namespace {

void print_substream_id(AnalysisState& state, uint8_t s) {
  print_message(state, 1, "    substream id = 0x%02X  ", s);
}

}  // namespace

int64_t read_dvd_substream(AnalysisState& state, int64_t payload_length) {
  if (payload_length <= 0) return 0;
  BitReader& r = state.reader;
  const auto s = static_cast<uint8_t>(get_bits(r, 8));
  state.current_substream = s;
  state.substream_known = true;
  int64_t count = 1;
  if (s >= 0x80 && s <= 0x87) {
    print_substream_id(state, s);
    if (payload_length >= 4) {
      print_message(state, 1, "AC3 Audio stream %d, ", s - 0x80);
      print_message(state, 1, "num of syncwords = 0x%02X, ", get_bits(r, 8));
      print_message(state, 1, "first offset = 0x%04X\n", get_bits(r, 16));
      count = 4;
    } else {
      print_message(state, 1, "AC3 Audio stream %d\n", s - 0x80);
    }
  } else if (s >= 0x88 && s <= 0x8F) {
    print_substream_id(state, s);
    print_message(state, 1, "DTS Audio stream %d\n", s - 0x88);
  } else if (s >= 0xA0 && s <= 0xAF) {
    print_substream_id(state, s);
    print_message(state, 1, "PCM Audio stream %d\n", s - 0xA0);
  } else if (s >= 0x20 && s <= 0x3F) {
    print_substream_id(state, s);
    print_message(state, 1, "Subpicture stream %d\n", s - 0x20);
  } else {
    print_message(state, 1, "    substream id = 0x%02X\n", s);
  }
  skip_bytes(r, payload_length - count);
  return payload_length;
}
