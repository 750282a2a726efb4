// psSIFT: an analyser for MPEG-1 system streams, MPEG-2 program streams and DVD video objects.
#include "driver/driver.h"

namespace {
AnalysisState g_state;  // one per run; holds the 1 MiB input block, so not on the stack
}

int main(int argc, char** argv) {
  const uint32_t first_code = start_up(g_state, argc, argv);
  return run_analysis(g_state, first_code);
}
