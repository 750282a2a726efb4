// The analysis driver: start-up and the start-code dispatch loop.
#pragma once

#include <cstdint>

#include "state/analysis_state.h"

inline constexpr uint32_t kPackStartCode = 0x000001BA;
inline constexpr uint32_t kSystemHeaderStartCode = 0x000001BB;
inline constexpr uint32_t kProgramEndCode = 0x000001B9;

// Parses a verbose level the way "%d" reads one, clamped to 1..4; 1 when no number is there.
int32_t parse_verbose_level(const char* text);

// True when the lower-cased path contains ".vob".
bool path_is_vob(const char* path);

// Banner, usage, input, is_vob, verbose_level, the first pack and the MPEG-1/MPEG-2 decision.
// Returns the pack start code to dispatch first; ends the program on failure.
uint32_t start_up(AnalysisState& state, int argc, char** argv);

// Walks the file from start code to start code, then prints the last map text and the
// summary, closes the input and returns the exit status (0).
int run_analysis(AnalysisState& state, uint32_t first_code);
