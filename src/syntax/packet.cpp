// Packet layer: every start code that is not a pack, system header or end code opens a packet.
// It is counted, gets its lead line, and by stream_id is skipped whole (streams without a
// packet header), read as padding, or handed to the MPEG-1 or MPEG-2 packet header.
#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kPacketNumberLine = "  packet #%d\n";
constexpr LineFormat kPacketLengthLine = "  packet_length = %d\n";
constexpr LineFormat kPayloadDataLine = "  read %d PES packet data bytes\n";

enum class PacketBody { no_header, padding, packet_header };

// How a stream_id is shown and read. Every lead line is "  stream_id = XX" and the stream's
// name; at level 1 the lines of the streams whose packet header or padding follows stay open
// (", "), to be completed by the timing text. Audio and video names carry the stream number.
struct StreamClass {
  const char* name;
  bool open_at_level1;
  bool numbered;  // "  packet #%d\n" first
  PacketBody body;
  uint8_t first_id = 0;  // audio and video: the stream_id of stream number 0
};

constexpr StreamClass kProgramStreamMap = {"  Program Stream Map", false, false,
                                           PacketBody::no_header};
constexpr StreamClass kPrivateStream1 = {"  Private Stream 1", true, false,
                                         PacketBody::packet_header};
constexpr StreamClass kPaddingStream = {"  Padding Stream", true, false, PacketBody::padding};
constexpr StreamClass kPrivateStream2 = {"  Private Stream 2", false, false,
                                         PacketBody::no_header};
constexpr StreamClass kAudioStream = {"  MPEG Audio Stream ", true, true,
                                      PacketBody::packet_header, 0xC0};
constexpr StreamClass kVideoStream = {"  Video Stream ", true, true, PacketBody::packet_header,
                                      0xE0};
constexpr StreamClass kEcmStream = {"  ECM Stream", false, false, PacketBody::no_header};
constexpr StreamClass kEmmStream = {"  EMM Stream", false, false, PacketBody::no_header};
constexpr StreamClass kDsmccStream = {"  DSMCC Stream", false, false, PacketBody::no_header};
constexpr StreamClass kTypeEStream = {"  ITU-T Rec. H.222.1 type E", false, false,
                                      PacketBody::no_header};
constexpr StreamClass kDirectoryStream = {"  Program Stream Directory", false, false,
                                          PacketBody::no_header};
constexpr StreamClass kOtherStream = {"", true, true, PacketBody::packet_header};

const StreamClass& classify_stream(uint8_t stream_id) {
  if (stream_id >= 0xC0 && stream_id <= 0xDF) return kAudioStream;
  if (stream_id >= 0xE0 && stream_id <= 0xEF) return kVideoStream;
  switch (stream_id) {
    case 0xBC: return kProgramStreamMap;
    case 0xBD: return kPrivateStream1;
    case 0xBE: return kPaddingStream;
    case 0xBF: return kPrivateStream2;
    case 0xF0: return kEcmStream;
    case 0xF1: return kEmmStream;
    case 0xF2: return kDsmccStream;
    case 0xF8: return kTypeEStream;
    case 0xFF: return kDirectoryStream;
    default: return kOtherStream;
  }
}

// Audio and video lines end in the ", " that follows their number also at level 2, before the
// line break; the others end in a plain line break there.
void print_lead_line(AnalysisState& state, const StreamClass& stream) {
  const uint8_t id = state.stream_id;
  if (stream.numbered) {
    print_line(state, 1, kPacketNumberLine,
               static_cast<int64_t>(state.stats.packets_by_stream[id] - 1));
  }
  if (!shows_level(state, 1)) return;
  Output& o = state.out;
  out_text(o, "  stream_id = ");
  out_hex(o, id, 2);
  out_text(o, stream.name);
  const bool has_number = stream.first_id != 0;
  if (has_number) out_decimal(o, id - stream.first_id);
  if (state.verbose_level == 1 && stream.open_at_level1) {
    out_text(o, ", ");
  } else {
    out_text(o, has_number ? ", \n" : "\n");
  }
}

void skip_headerless_packet(AnalysisState& state) {
  const uint8_t id = state.stream_id;
  skip_bytes(state.reader, state.packet_length);
  if (state.verbose_level > 2) append_map_code(state, id == 0xBF ? "2" : "o");
  print_line(state, 2, kPayloadDataLine, state.packet_length);
  state.stats.bytes_by_stream[id] += state.packet_length;
}

// Padding: an MPEG-1 padding packet has the MPEG-1 packet header (its timestamps untested);
// an MPEG-2 one has none. The header bytes are not counted as padding.
void read_padding_packet(AnalysisState& state) {
  state.header_bytes = 0;
  if (state.is_mpeg2) {
    // Nothing follows on the level-1 lead line: end it.
    if (state.verbose_level == 1) out_char(state.out, '\n');
  } else {
    state.header_bytes = read_mpeg1_packet_header(state, TimestampContext::padding_packet);
  }
  const int64_t remainder = state.packet_length - state.header_bytes;
  const int64_t padding = remainder > 0 ? remainder : 0;
  skip_bytes(state.reader, padding);
  if (state.verbose_level > 2) append_map_code(state, "p");
  print_message(state, 2, "  read %d padding_bytes\n", padding);
  state.stats.bytes_by_stream[state.stream_id] += static_cast<uint64_t>(padding);
}

}  // namespace

void decode_packet(AnalysisState& state, uint8_t stream_id) {
  state.stream_id = stream_id;
  state.stats.packets_by_stream[stream_id] += 1;
  const StreamClass& stream = classify_stream(stream_id);
  print_lead_line(state, stream);
  state.packet_length = static_cast<uint16_t>(get_bits(state.reader, 16));
  print_line(state, 2, kPacketLengthLine, state.packet_length);

  switch (stream.body) {
    case PacketBody::no_header:
      skip_headerless_packet(state);
      return;
    case PacketBody::padding:
      read_padding_packet(state);
      return;
    case PacketBody::packet_header:
      state.header_bytes = 0;
      if (state.is_mpeg2) {
        decode_pes_packet(state);
      } else {
        decode_mpeg1_packet(state);
      }
      return;
  }
}
