#include "stats/stream_stats.h"

#include <algorithm>

#include "report/report.h"
#include "state/analysis_state.h"

namespace {

constexpr LineFormat kPayloadDataLine = "  read %d PES packet data bytes\n";

// Books a DVD private stream 1 payload under its substream. The per-kind totals leave out the
// substream header actually present: up to 4 bytes for AC3, the id byte for the other kinds.
void account_substream(StreamStats& stats, uint8_t s, uint64_t count) {
  stats.packets_by_substream[s] += 1;
  stats.bytes_by_substream[s] += count;
  if (s >= 0x80 && s <= 0x87) {
    stats.ac3_bytes[s - 0x80] += count - std::min<uint64_t>(count, 4);
  } else if (s >= 0x88 && s <= 0x8F) {
    stats.dts_bytes[s - 0x88] += count - 1;
  } else if (s >= 0xA0 && s <= 0xAF) {
    stats.pcm_bytes[s - 0xA0] += count - 1;
  } else if (s >= 0x20 && s <= 0x3F) {
    stats.subpicture_bytes[s - 0x20] += count - 1;
  }
}

const char* stream_summary_name(uint8_t stream_id) {
  switch (stream_id) {
    case 0xBC: return "Program Stream Map";
    case 0xBD: return "Private Stream 1";
    case 0xBE: return "Padding Stream";
    case 0xBF: return "Private Stream 2";
    case 0xF0: return "ECM Stream";
    case 0xF1: return "EMM Stream";
    case 0xF2: return "DSMCC Stream";
    case 0xF8: return "ITU-T Rec. H.222.1 type E";
    case 0xFF: return "Program Stream Directory";
    default: return nullptr;
  }
}

void print_totals(Output& o, uint64_t packets, uint64_t bytes) {
  out_text(o, " packets = ");
  out_unsigned(o, packets);
  out_text(o, ", total bytes = ");
  out_unsigned(o, bytes);
  out_char(o, '\n');
}

void print_stream_line(Output& o, const StreamStats& stats, uint8_t id) {
  if (const char* name = stream_summary_name(id)) {
    out_text(o, name);
  } else if (id >= 0xC0 && id <= 0xDF) {
    out_text(o, "MPEG Audio stream ");
    out_decimal(o, id - 0xC0);
  } else if (id >= 0xE0 && id <= 0xEF) {
    out_text(o, "Video stream ");
    out_decimal(o, id - 0xE0);
  } else {
    out_text(o, "Other stream 0x");
    out_hex(o, id, 2);
  }
  print_totals(o, stats.packets_by_stream[id], stats.bytes_by_stream[id]);
}

void print_substream_line(Output& o, const StreamStats& stats, uint8_t s) {
  uint64_t bytes = stats.bytes_by_substream[s];
  if (s >= 0x80 && s <= 0x87) {
    out_text(o, "    AC3 Audio stream ");
    out_unsigned(o, s - 0x80u);
    bytes = stats.ac3_bytes[s - 0x80];
  } else if (s >= 0x88 && s <= 0x8F) {
    out_text(o, "    DTS Audio stream ");
    out_unsigned(o, s - 0x88u);
    bytes = stats.dts_bytes[s - 0x88];
  } else if (s >= 0xA0 && s <= 0xAF) {
    out_text(o, "    PCM Audio stream ");
    out_unsigned(o, s - 0xA0u);
    bytes = stats.pcm_bytes[s - 0xA0];
  } else if (s >= 0x20 && s <= 0x3F) {
    out_text(o, "    Subpicture stream ");
    out_unsigned(o, s - 0x20u);
    bytes = stats.subpicture_bytes[s - 0x20];
  } else {
    out_text(o, "    Substream 0x");
    out_hex(o, s, 2);
  }
  print_totals(o, stats.packets_by_substream[s], bytes);
}

}  // namespace

void account_payload(AnalysisState& state, uint8_t stream_id, int64_t count) {
  if (count > 0) {
    print_line(state, 2, kPayloadDataLine, count);
    const auto bytes = static_cast<uint64_t>(count);
    state.stats.bytes_by_stream[stream_id] += bytes;
    if (stream_id == 0xBD && state.is_vob && state.substream_known) {
      account_substream(state.stats, state.current_substream, bytes);
    }
  }
  append_packet_code(state, stream_id);
}

void print_summary(AnalysisState& state) {
  Output& o = state.out;
  const StreamStats& stats = state.stats;
  out_text(o, "\n\nSummary:\n");
  out_text(o, "\nMPEG Packs = ");
  out_unsigned(o, stats.pack_count);
  out_char(o, '\n');
  if (stats.system_header_count != 0) {
    out_text(o, "System headers = ");
    out_unsigned(o, stats.system_header_count);
    out_char(o, '\n');
  }
  for (int id = 0; id < 256; ++id) {
    if (stats.packets_by_stream[id] == 0) continue;
    print_stream_line(o, stats, static_cast<uint8_t>(id));
    if (id == 0xBD && state.is_vob) {
      for (int s = 0; s < 256; ++s) {
        if (stats.packets_by_substream[s] != 0) print_substream_line(o, stats, static_cast<uint8_t>(s));
      }
    }
  }
}
