// MPEG-1 packet header: stuffing bytes, optional buffer fields, then a PTS, a PTS and DTS, or
// the one-byte marker 0x0F; then the payload.
#include "payload/payload.h"
#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kStuffingLine = "  read %d stuffing bytes\n";

constexpr FieldSpec kBufferFields[] = {
    {2, "    01 = %d\n"},
    {1, "    P-STD_buffer_scale = %d\n"},
    {13, "    P-STD_buffer_size = %d\n"},
};

}  // namespace

int64_t read_mpeg1_packet_header(AnalysisState& state, TimestampContext context) {
  BitReader& r = state.reader;
  while (peek_bits(r, 1) == 1) {
    get_bits(r, 8);
    state.header_bytes += 1;
  }
  print_line(state, 2, kStuffingLine, state.header_bytes);

  if (peek_bits(r, 2) == 1) {
    print_heading(state, "  P-STD buffer fields\n");
    read_fields(state, kBufferFields);
    state.header_bytes += 2;
    if (state.verbose_level > 3) append_map_code(state, "P-STD");
  }

  const uint32_t marker = peek_bits(r, 4);
  if (marker == 2) {
    state.header_bytes += read_pts(state, context);
  } else if (marker == 3) {
    state.header_bytes += read_pts_dts(state, context);
  } else {
    if (state.verbose_level == 1) out_char(state.out, '\n');
    const uint32_t byte = get_bits(r, 8);
    if (byte != 0x0F) fail_run(state.out, "  Invalid bits in MPEG-1 file\n");
    print_message(state, 2, "  no_timestamps marker = %d\n", byte);
    state.header_bytes += 1;
  }
  return state.header_bytes;
}

void decode_mpeg1_packet(AnalysisState& state) {
  read_mpeg1_packet_header(state, TimestampContext::mpeg1_packet);
  const int64_t remainder = state.packet_length - state.header_bytes;
  const int64_t payload_length = remainder > 0 ? remainder : 0;
  if (state.verbose_level == 1) {
    scan_payload(state, state.stream_id, payload_length);
  } else {
    skip_bytes(state.reader, payload_length);
    account_payload(state, state.stream_id, payload_length);
  }
}
