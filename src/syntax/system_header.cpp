// System header: fixed fields, then stream entries for as long as the next bit is 1.
// header_length is shown, never used to find the end.
#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kMpeg1ReservedByte = "  reserved_bits = %d\n";

constexpr FieldSpec kFixedFields[] = {
    {16, "  header_length = %d\n"},
    {1, "  marker bit = %d\n"},
    {22, "  rate_bound = %d\n"},
    {1, "  marker bit = %d\n"},
    {6, "  audio_bound = %d\n"},
    {1, "  fixed_flag = %d\n"},
    {1, "  CSPS_flag = %d\n"},
    {1, "  system_audio_lock_flag = %d\n"},
    {1, "  system_video_lock_flag = %d\n"},
    {1, "  marker bit = %d\n"},
    {5, "  video_bound = %d\n"},
};

constexpr FieldSpec kMpeg2ReservedFields[] = {
    {1, "  packet_rate_restriction_flag = %d\n"},
    {7, "  reserved_bits = %d\n"},
};

constexpr FieldSpec kStreamEntryFields[] = {
    {8, "  stream_id = %02X\n"},
    {2, "  11 = %d\n"},
    {1, "  P-STD_buffer_bound_scale = %d\n"},
    {13, "  P-STD_buffer_size_bound = %d\n"},
};

}  // namespace

void read_system_header(AnalysisState& state, uint32_t code) {
  state.stats.system_header_count += 1;
  print_message(state, 1, "\nsystem_header_start_code = %08X\n", code);
  read_fields(state, kFixedFields);
  if (state.is_mpeg2) {
    read_fields(state, kMpeg2ReservedFields);
  } else {
    read_field(state, 8, kMpeg1ReservedByte);
  }
  while (peek_bits(state.reader, 1) == 1) read_fields(state, kStreamEntryFields);
  if (state.verbose_level > 2) append_map_code(state, "S");
}
