// Payload inspection at level 1: video start codes and audio syncwords, DVD substreams.
#pragma once

#include <cstdint>

#include "state/analysis_state.h"

// Reads a packet's payload of payload_length bytes (0 or more) at level 1, prints what the scan
// finds, and books it with account_payload.
void scan_payload(AnalysisState& state, uint8_t stream_id, int64_t payload_length);

// The substream header of a DVD private stream 1 payload at level 1: sets current_substream,
// prints the substream line, reads the rest of the payload; returns the bytes read.
int64_t read_dvd_substream(AnalysisState& state, int64_t payload_length);
