#include "stats/stream_stats.h"

#include <algorithm>

#include "report/report.h"
#include "state/analysis_state.h"

namespace {

constexpr LineFormat kPayloadDataLine = "  read %d PES packet data bytes\n";

// The DVD substream kinds with a total of their own: the range of ids, the summary label, and
// the substream header that the total leaves out (id, syncword count and first offset for AC3;
// the id for the others).
struct SubstreamKind {
  uint8_t first;
  uint8_t last;
  const char* label;
  uint64_t header_bytes;
};

constexpr SubstreamKind kSubstreamKinds[] = {
    {0x80, 0x87, "    AC3 Audio stream ", 4},
    {0x88, 0x8F, "    DTS Audio stream ", 1},
    {0xA0, 0xAF, "    PCM Audio stream ", 1},
    {0x20, 0x3F, "    Subpicture stream ", 1},
};

const SubstreamKind* substream_kind(uint8_t s) {
  for (const SubstreamKind& kind : kSubstreamKinds) {
    if (s >= kind.first && s <= kind.last) return &kind;
  }
  return nullptr;
}

// The per-kind total of substream s; each table has one entry per id of its kind's range.
uint64_t& kind_total(StreamStats& stats, const SubstreamKind& kind, uint8_t s) {
  const int index = s - kind.first;
  switch (kind.first) {
    case 0x80: return stats.ac3_bytes[index];
    case 0x88: return stats.dts_bytes[index];
    case 0xA0: return stats.pcm_bytes[index];
    default: return stats.subpicture_bytes[index];
  }
}

// Books a DVD private stream 1 payload under its substream; the per-kind totals leave out the
// substream header bytes actually present.
void account_substream(StreamStats& stats, uint8_t s, uint64_t count) {
  stats.packets_by_substream[s] += 1;
  stats.bytes_by_substream[s] += count;
  if (const SubstreamKind* kind = substream_kind(s)) {
    kind_total(stats, *kind, s) += count - std::min(count, kind->header_bytes);
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

void print_substream_line(Output& o, StreamStats& stats, uint8_t s) {
  uint64_t bytes = stats.bytes_by_substream[s];
  if (const SubstreamKind* kind = substream_kind(s)) {
    out_text(o, kind->label);
    out_unsigned(o, s - kind->first);
    bytes = kind_total(stats, *kind, s);
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
  StreamStats& stats = state.stats;
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
