// Pack header: counted, sized against the previous pack, SCR through the timestamp code,
// then the mux rate and (MPEG-2) the pack stuffing. At levels 3 and 4 it opens the pack's map text.
#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kPackSizeLine = "\npack size = %d\n";
constexpr LineFormat kPackNumberLine = "\n\nPACK #%d, ";
constexpr LineFormat kStartCodeOpenLine = "pack_start_code = %08X, ";
constexpr LineFormat kStartCodeLine = "pack_start_code = %08X\n";
constexpr LineFormat kMpeg2Prefix = "  01 = %d\n";
constexpr LineFormat kMpeg1Prefix = "  0010 = %d\n";
constexpr LineFormat kStuffingByte = "    stuffing byte = %d\n";

constexpr FieldSpec kMuxRateFields[] = {
    {1, "  marker bit = %d\n"},
    {22, "  program_mux_rate = %d\n"},
    {1, "  marker bit = %d\n"},
};

constexpr FieldSpec kMpeg2StuffingFields[] = {
    {1, "  marker bit = %d\n"},
    {5, "  reserved = %d\n"},
    {3, "  pack_stuffing_length = %d\n"},
};

}  // namespace

void read_pack_header(AnalysisState& state, uint32_t code) {
  BitReader& r = state.reader;
  state.stats.pack_count += 1;
  const uint64_t position = bit_position(r);
  if (state.last_pack_position != 0) {
    print_line(state, 2, kPackSizeLine,
                  static_cast<int64_t>((position - state.last_pack_position) / 8));
  }
  state.last_pack_position = position;
  print_line(state, 1, kPackNumberLine, static_cast<int64_t>(state.stats.pack_count - 1));
  print_line(state, 1, state.verbose_level == 1 ? kStartCodeOpenLine : kStartCodeLine, code);

  if (state.is_mpeg2) {
    read_field(state, 2, kMpeg2Prefix);
  } else {
    const uint32_t prefix = get_bits(r, 2);
    print_line(state, 2, kMpeg1Prefix, (prefix << 2) | get_bits(r, 2));
  }
  read_scr(state);
  read_fields(state, kMuxRateFields);

  if (state.is_mpeg2) {
    uint32_t values[3];
    read_fields(state, kMpeg2StuffingFields, values);
    for (uint32_t i = 0; i < values[2]; ++i) read_field(state, 8, kStuffingByte);
  }
  if (state.verbose_level > 2) begin_map_line(state);
}
