#!/usr/bin/env bash
# Distils what the fuzzing runs found into tests/robustness/corpus/: the queues of all runs
# of one kind (plain names, then DVD names) minimised together with afl-cmin at level 2 (the
# level that decodes every field), keeping files of at most 4 KiB, the smallest MAX of each
# kind (default 40). The robustness tests run every file there at all four levels.
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
  n=0
  for f in $(ls -S -r "$min"); do
    [ "$n" -lt "$max" ] || break
    n=$((n + 1))
    cp "$min/$f" "$dest/fuzz-$f.$kind"
  done
  echo "$kind: $(ls "$all" | wc -l) inputs, $(ls "$min" | wc -l) after afl-cmin, $n kept"
done
