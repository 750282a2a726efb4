// The packet map of levels 3 and 4: one text per pack, " P" and a code for every element in it.
#pragma once

#include <cstdint>

#include "state/analysis_state.h"

// Ends a pack header: prints the previous pack's text (if any) and starts the text " P".
void begin_map_line(AnalysisState& state);

// Appends a code. When it would not fit in the text's 79 characters, the text gathered so far
// is printed and the pack's text goes on as " +".
void append_map_code(AnalysisState& state, const char* code);

// The code of a packet with a packet header, after its payload: "v"N, "a"N, "1" (with the
// substream id in DVD files, once one is known) or "o".
void append_packet_code(AnalysisState& state, uint8_t stream_id);

// After the last element: prints the last text.
void flush_map_line(AnalysisState& state);
