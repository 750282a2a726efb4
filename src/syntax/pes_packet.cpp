// MPEG-2 PES header: the fixed flag bytes, the optional groups they announce, stuffing up to
// PES_header_data_length, then the payload.
#include "payload/payload.h"
#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kStuffingLine = "  read %d stuffing bytes\n";
constexpr LineFormat kPreviousCrc = "    previous_PES_packet_CRC = %d\n";
constexpr LineFormat kExtension2Marker = "      marker_bit = %d\n";
constexpr LineFormat kExtensionFieldLength = "      PES_extension_field_length = %d\n";

enum FixedField {
  kMarker10, kScramblingControl, kPriority, kDataAlignment, kCopyright, kOriginalOrCopy,
  kPtsDtsFlags, kEscrFlag, kEsRateFlag, kDsmTrickModeFlag, kAdditionalCopyInfoFlag, kCrcFlag,
  kExtensionFlag, kHeaderDataLength, kFixedFieldCount
};

constexpr FieldSpec kFixedFields[kFixedFieldCount] = {
    {2, "  10 = %d\n"},
    {2, "  PES_scrambling_control = %d\n"},
    {1, "  PES_priority = %d\n"},
    {1, "  data_alignment_indicator = %d\n"},
    {1, "  copyright = %d\n"},
    {1, "  original_or_copy = %d\n"},
    {2, "  PTS_DTS_flags = %d\n"},
    {1, "  ESCR_flag = %d\n"},
    {1, "  ES_rate_flag = %d\n"},
    {1, "  DSM_trick_mode_flag = %d\n"},
    {1, "  additional_copy_info_flag = %d\n"},
    {1, "  PES_CRC_flag = %d\n"},
    {1, "  PES_extension_flag = %d\n"},
    {8, "  PES_header_data_length = %d\n"},
};

constexpr FieldSpec kEscrFields[] = {
    {2, "    reserved = %d\n"},          {3, "    ESCR_base[32..30] = %d\n"},
    {1, "    marker_bit = %d\n"},        {15, "    ESCR_base[29..15] = %d\n"},
    {1, "    marker_bit = %d\n"},        {15, "    ESCR_base[14..0] = %d\n"},
    {1, "    marker_bit = %d\n"},        {9, "    ESCR_extension = %d\n"},
    {1, "    marker_bit = %d\n"},
};

constexpr FieldSpec kEsRateFields[] = {
    {1, "    marker_bit = %d\n"},
    {22, "    ES_rate = %d\n"},
    {1, "    marker_bit = %d\n"},
};

constexpr FieldSpec kFastFields[] = {
    {2, "      field_id = %d\n"},
    {1, "      intra_slice_refresh = %d\n"},
    {2, "      frequency_truncation = %d\n"},
};
constexpr FieldSpec kSlowFields[] = {{5, "      rep_cntrl = %d\n"}};
constexpr FieldSpec kFreezeFields[] = {
    {2, "      field_id = %d\n"},
    {3, "      reserved = %d\n"},
};
constexpr FieldSpec kReservedTrickFields[] = {{5, "      reserved = %d\n"}};

constexpr FieldSpec kAdditionalCopyInfoFields[] = {
    {1, "    marker_bit = %d\n"},
    {7, "    additional_copy_info = %d\n"},
};

enum ExtensionFlag {
  kPrivateDataFlag, kPackHeaderFieldFlag, kSequenceCounterFlag, kBufferFlag, kExtensionReserved,
  kExtension2Flag, kExtensionFlagCount
};

constexpr FieldSpec kExtensionFlags[kExtensionFlagCount] = {
    {1, "    PES_private_data_flag = %d\n"},
    {1, "    pack_header_field_flag = %d\n"},
    {1, "    program_packet_sequence_counter_flag = %d\n"},
    {1, "    P-STD_buffer_flag = %d\n"},
    {3, "    reserved = %d\n"},
    {1, "    PES_extension_flag_2 = %d\n"},
};

constexpr FieldSpec kSequenceCounterFields[] = {
    {1, "      marker_bit = %d\n"},
    {7, "      program_packet_sequence_counter = %d\n"},
    {1, "      marker_bit = %d\n"},
    {1, "      MPEG1_MPEG2_identifier = %d\n"},
    {6, "      original_stuff_length = %d\n"},
};

constexpr FieldSpec kBufferFields[] = {
    {2, "      01 = %d\n"},
    {1, "      P-STD_buffer_scale = %d\n"},
    {13, "      P-STD_buffer_size = %d\n"},
};

void read_trick_mode(AnalysisState& state) {
  const uint32_t control = get_bits(state.reader, 3);
  print_heading(state, "  DSM trick mode fields\n");
  print_message(state, 2, "    trick_mode_control = %d\n", control);
  switch (control) {
    case 0:
      print_heading(state, "    fast forward fields\n");
      read_fields(state, kFastFields);
      break;
    case 1:
      print_heading(state, "    slow motion fields\n");
      read_fields(state, kSlowFields);
      break;
    case 2:
      print_heading(state, "    freeze frame fields\n");
      read_fields(state, kFreezeFields);
      break;
    case 3:
      print_heading(state, "    fast reverse fields\n");
      read_fields(state, kFastFields);
      break;
    case 4:
      print_heading(state, "    slow reverse fields\n");
      read_fields(state, kSlowFields);
      break;
    default:
      print_heading(state, "    reserve fields\n");
      read_fields(state, kReservedTrickFields);
      break;
  }
  state.header_bytes += 1;
}

void read_pes_extension(AnalysisState& state) {
  print_heading(state, "  PES extension fields\n");
  uint32_t flags[kExtensionFlagCount];
  read_fields(state, kExtensionFlags, flags);
  state.header_bytes += 1;

  if (flags[kPrivateDataFlag] != 0) {
    print_heading(state, "    PES private data fields\n");
    skip_bytes(state.reader, 16);
    print_message(state, 2, "      read %d bytes of private data\n", 16);
    state.header_bytes += 16;
  }
  if (flags[kPackHeaderFieldFlag] != 0) {
    fail_run(state.out, "    pack header field flag value not allowed in program streams\n");
  }
  if (flags[kSequenceCounterFlag] != 0) {
    print_heading(state, "    program packet sequence counter fields\n");
    read_fields(state, kSequenceCounterFields);
    state.header_bytes += 2;
  }
  if (flags[kBufferFlag] != 0) {
    print_heading(state, "    P-STD buffer fields\n");
    read_fields(state, kBufferFields);
    state.header_bytes += 2;
    if (state.verbose_level > 3) append_map_code(state, "P-STD");
  }
  if (flags[kExtension2Flag] != 0) {
    print_heading(state, "    PES extension 2 fields\n");
    read_field(state, 1, kExtension2Marker);
    const uint32_t length = read_field(state, 7, kExtensionFieldLength);
    state.header_bytes += 1;
    skip_bytes(state.reader, length);
    state.header_bytes += length;
    print_message(state, 2, "      read %d bytes of PES extension field data\n", length);
  }
}

// The payload at levels 2 to 4: read whole; in a DVD file the first byte of a private
// stream 1 payload is its substream id.
void read_pes_payload(AnalysisState& state, int64_t payload_length) {
  if (payload_length >= 1) {
    const auto first = static_cast<uint8_t>(get_bits(state.reader, 8));
    if (state.stream_id == 0xBD && state.is_vob) {
      state.current_substream = first;
      state.substream_known = true;
    }
    skip_bytes(state.reader, payload_length - 1);
  }
  account_payload(state, state.stream_id, payload_length);
}

}  // namespace

void decode_pes_packet(AnalysisState& state) {
  uint32_t fixed[kFixedFieldCount];
  read_fields(state, kFixedFields, fixed);
  const uint32_t pts_dts_flags = fixed[kPtsDtsFlags];
  const int64_t header_data_length = fixed[kHeaderDataLength];

  if (state.verbose_level == 1 && pts_dts_flags != 2 && pts_dts_flags != 3) {
    out_char(state.out, '\n');
  }
  if (pts_dts_flags == 2) {
    state.header_bytes += read_pts(state, TimestampContext::mpeg2_pes);
  } else if (pts_dts_flags == 3) {
    state.header_bytes += read_pts_dts(state, TimestampContext::mpeg2_pes);
  }
  if (fixed[kEscrFlag] != 0) {
    print_heading(state, "  ESCR fields\n");
    read_fields(state, kEscrFields);
    state.header_bytes += 6;
  }
  if (fixed[kEsRateFlag] != 0) {
    print_heading(state, "  ES rate fields\n");
    read_fields(state, kEsRateFields);
    state.header_bytes += 3;
  }
  if (fixed[kDsmTrickModeFlag] != 0) read_trick_mode(state);
  if (fixed[kAdditionalCopyInfoFlag] != 0) {
    print_heading(state, "  additional copy info fields\n");
    read_fields(state, kAdditionalCopyInfoFields);
    state.header_bytes += 1;
  }
  if (fixed[kCrcFlag] != 0) {
    print_heading(state, "  PES CRC field\n");
    read_field(state, 16, kPreviousCrc);
    state.header_bytes += 2;
  }
  if (fixed[kExtensionFlag] != 0) read_pes_extension(state);

  // Stuffing up to PES_header_data_length; optional fields that overrun it leave none.
  const int64_t stuffing = header_data_length - state.header_bytes;
  if (stuffing > 0) {
    skip_bytes(state.reader, stuffing);
    print_line(state, 2, kStuffingLine, stuffing);
  }

  const int64_t remainder = state.packet_length - header_data_length - 3;
  const int64_t payload_length = remainder > 0 ? remainder : 0;
  if (state.verbose_level == 1) {
    scan_payload(state, state.stream_id, payload_length);
  } else {
    read_pes_payload(state, payload_length);
  }
}
