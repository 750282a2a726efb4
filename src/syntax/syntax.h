// Program stream syntax: timestamps, pack and system headers, packets and their headers.
#pragma once

#include <cstdint>

#include "state/analysis_state.h"

// Which packet header a timestamp block belongs to: selects the level-1 texts and whether
// PTS and DTS are tested against the latest SCR.
enum class TimestampContext { padding_packet, mpeg1_packet, mpeg2_pes };

// The SCR of a pack header, after its prefix: 36 bits, and the 9-bit extension in MPEG-2.
void read_scr(AnalysisState& state);
// One 40-bit PTS block; returns 5, its header bytes.
int read_pts(AnalysisState& state, TimestampContext context);
// A PTS block and a DTS block; returns 10.
int read_pts_dts(AnalysisState& state, TimestampContext context);

// The elements of the dispatch loop; each is called with the start code just read.
void read_pack_header(AnalysisState& state, uint32_t code);
void read_system_header(AnalysisState& state, uint32_t code);
void decode_packet(AnalysisState& state, uint8_t stream_id);

// MPEG-1 packet header (stuffing, buffer fields, timestamps or the 0x0F marker); returns
// header_bytes. decode_mpeg1_packet reads the header and then takes the payload.
int64_t read_mpeg1_packet_header(AnalysisState& state, TimestampContext context);
void decode_mpeg1_packet(AnalysisState& state);

// MPEG-2 PES header with all its optional fields, then the payload.
void decode_pes_packet(AnalysisState& state);
