#!/usr/bin/env bash
# One line per AFL++ output folder: run time, execs, corpus, edges, coverage, crashes, hangs.
# Usage: fuzz/stats.sh fuzz/out/L1-mpg [...]   (default: every run under fuzz/out)
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- fuzz/out/L*-*
for d in "$@"; do
  s=$d/default/fuzzer_stats
  [ -f "$s" ] || continue
  awk -v name="$(basename "$d")" -F' *: *' '
    { v[$1] = $2 }
    END {
      printf "%s: %ss, execs %s (%s/s), corpus %s, edges %s, bitmap %s, crashes %s, hangs %s\n",
        name, v["run_time"], v["execs_done"], v["execs_per_sec"], v["corpus_count"],
        v["edges_found"], v["bitmap_cvg"], v["saved_crashes"], v["saved_hangs"]
    }' "$s"
done
