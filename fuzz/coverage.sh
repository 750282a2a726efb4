#!/usr/bin/env bash
# Edges of psSIFT reached by all fuzzing runs together: afl-showmap over each run's queue at
# the run's level (DVD runs through a *.vob path, boundary runs behind their lead-in), then
# the union. Usage: fuzz/coverage.sh [fuzz/out/RUN ...]
set -u
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build-afl/psSIFT
maps=$root/fuzz/out/maps
mkdir -p "$maps"
[ $# -gt 0 ] || set -- fuzz/out/L*-*/
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0
cc -O2 -DBOUNDARY_MAIN -o build-afl/boundary-wrap fuzz/boundary_post.c
for run in "$@"; do
  run=${run%/}
  name=$(basename "$run")
  level=${name#L}; level=${level%%-*}
  ext=mpg; case $name in *.vob) ext=vob ;; esac
  in=$run/default/queue
  tmp=$maps/tmp.$ext; rm -rf "$tmp"; mkdir -p "$tmp"
  case $name in
    *boundary*)
      in=fuzz/out/maps/wrapped; rm -rf "$in"; mkdir -p "$in"
      for f in "$run"/default/queue/id:*; do build-afl/boundary-wrap "$f" "$in/$(basename "$f" | cut -d, -f1 | tr ':' '_')"; done
      ;;
  esac
  # afl-showmap hands psSIFT a file in its working folder: one named *.vob for the DVD runs.
  (cd "$tmp" && afl-showmap -q -C -i "$root/$in" -o "$maps/$name" -m none -t 2000 -- "$bin" @@ "$level" > /dev/null 2>&1)
  echo "$name: $(wc -l < "$maps/$name") edges"
done
rm -rf "$maps"/wrapped "$maps"/tmp.*
echo "all runs together: $(cat "$maps"/L*-* | cut -d: -f1 | sort -u | wc -l) edges of $(awk -F' *: *' '$1 == "total_edges" { print $2; exit }' fuzz/out/L1-mpg/default/fuzzer_stats)"
