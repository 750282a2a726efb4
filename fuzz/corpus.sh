#!/usr/bin/env bash
# Distils what the fuzzing runs found into tests/robustness/corpus/: the queues of all runs
# of one kind (plain names, then DVD names) minimised together with afl-cmin at level 2 (the
# level that decodes every field), from files of at most 4 KiB; of what afl-cmin keeps, up to
# MAX of each kind (default 40) are chosen greedily, each adding the most edges (at any of the
# four levels) not yet reached. The
# robustness tests run every file there at all four levels.
# Usage: fuzz/corpus.sh [MAX]
set -euo pipefail
cd "$(dirname "$0")/.."
max=${1:-40}
bin=$PWD/build-afl/psSIFT
[ -x "$bin" ] || fuzz/build.sh
dest=tests/robustness/corpus
work=fuzz/out/corpus-work
rm -rf "$work"; mkdir -p "$work"
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0
rm -f "$dest"/fuzz-*
mkdir -p "$dest"
for kind in mpg vob; do
  all=$work/all-$kind min=$work/min-$kind
  mkdir -p "$all"
  for q in fuzz/out/L*-*/default/queue; do
    case $q in *.vob/*) k=vob ;; *) k=mpg ;; esac
    [ "$k" = "$kind" ] || continue
    case $q in *boundary*) continue ;; esac   # those inputs mean something only behind the lead-in
    run=$(basename "$(dirname "$(dirname "$q")")")
    find "$q" -maxdepth 1 -type f -size -4097c | while read -r f; do
      cp "$f" "$all/$run-$(basename "$f" | cut -d, -f1 | tr ':' '_')"
    done
  done
  [ -n "$(ls "$all")" ] || continue
  mkdir -p "$min.d.$kind"   # afl-cmin hands psSIFT a file in this folder
  AFL_TMPDIR=$PWD/$min.d.$kind afl-cmin -i "$all" -o "$min" -m none -t 2000 -- "$bin" @@ 2 > "$work/cmin-$kind.log" 2>&1
  # One map per file and level (in a folder of the kind's name, for the DVD path), then the
  # greedy pick over the edges of all four levels.
  maps=$PWD/$work/maps-$kind
  mkdir -p "$maps"
  for level in 1 2 3 4; do
    (cd "$min.d.$kind" && afl-showmap -q -i "$OLDPWD/$min" -o "$maps/L$level" -m none -t 2000 -- "$bin" @@ $level > /dev/null 2>&1)
    for m in "$maps/L$level"/*; do sed "s/^/$level./" "$m" >> "$maps/$(basename "$m")"; done
    rm -rf "$maps/L$level"
  done
  n=0
  for f in $(awk -v max="$max" '
      FNR == 1 { file = FILENAME; sub(/.*\//, "", file); files[++nf] = file }
      { split($0, t, ":"); has[file, t[1]] = 1; edges[file] = edges[file] " " t[1] }
      END {
        for (k = 0; k < max; k++) {
          best = ""; gain = 0
          for (i = 1; i <= nf; i++) {
            f = files[i]; if (f in taken) continue
            g = 0; m = split(edges[f], e, " ")
            for (j = 1; j <= m; j++) if (!(e[j] in seen)) g++
            if (g > gain) { gain = g; best = f }
          }
          if (best == "") break
          taken[best] = 1; print best
          m = split(edges[best], e, " ")
          for (j = 1; j <= m; j++) seen[e[j]] = 1
        }
      }' "$maps"/*); do
    n=$((n + 1))
    cp "$min/$f" "$dest/fuzz-$f.$kind"
  done
  echo "$kind: $(ls "$all" | wc -l) inputs, $(ls "$min" | wc -l) after afl-cmin, $n kept"
done
