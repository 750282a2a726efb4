#!/usr/bin/env bash
# One line per AFL++ output folder: run time, execs, corpus, edges, coverage, crashes, hangs.
# Usage: fuzz/stats.sh [--markdown] [fuzz/out/L1-mpg ...]   (default: every run under fuzz/out)
cd "$(dirname "$0")/.."
md=0
[ "${1:-}" = --markdown ] && { md=1; shift; }
[ $# -gt 0 ] || set -- fuzz/out/L*-*
for d in "$@"; do
  s=$d/default/fuzzer_stats
  [ -f "$s" ] || continue
  awk -v name="$(basename "$d")" -v md=$md -F' *: *' '
    { v[$1] = $2 }
    END {
      level = substr(name, 2, 1)
      file = name ~ /\.vob$/ ? ".vob" : ".mpg"
      if (name ~ /boundary/) file = file ", behind a 1 MiB lead-in"
      if (md)
        printf "| %s | %s | %s | %d min | %s | %s | %s / %s | %s | %s | %s |\n", name, level, file,
          v["run_time"] / 60, v["execs_done"], v["corpus_count"], v["edges_found"], v["total_edges"],
          v["bitmap_cvg"], v["saved_crashes"], v["saved_hangs"]
      else
        printf "%s: %ss, execs %s (%s/s), corpus %s, edges %s, bitmap %s, crashes %s, hangs %s\n",
          name, v["run_time"], v["execs_done"], v["execs_per_sec"], v["corpus_count"],
          v["edges_found"], v["bitmap_cvg"], v["saved_crashes"], v["saved_hangs"]
    }' "$s"
done
