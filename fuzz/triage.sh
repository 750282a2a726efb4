#!/usr/bin/env bash
# Replays every crash and hang that afl-fuzz saved under fuzz/out (or under the given run
# folders), prints what happened with a symbolised stack, minimises each input with afl-tmin
# and stores it as tests/robustness/regressions/<run>-<id>.mpg (.vob for the DVD runs).
# Usage: fuzz/triage.sh [fuzz/out/L1-mpg ...] ; set NO_TMIN=1 to copy inputs unminimised.
# Inputs of the boundary runs are replayed behind the lead-in that those runs put in front
# (fuzz/boundary_post.c) and are stored whole, lead-in included, when they are small enough.
set -u
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build-afl/psSIFT
[ -x "$bin" ] || fuzz/build.sh
dest=$root/tests/robustness/regressions
mkdir -p "$dest"
wrap=$root/build-afl/boundary-wrap
cc -O2 -DBOUNDARY_MAIN -o "$wrap" fuzz/boundary_post.c
export ASAN_OPTIONS=abort_on_error=1:symbolize=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:symbolize=1:print_stacktrace=1
[ $# -gt 0 ] || set -- fuzz/out/L*-*/
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
found=0
for run in "$@"; do
  run=${run%/}
  name=$(basename "$run")
  level=${name#L}; level=${level%%-*}
  ext=mpg; case $name in *.vob) ext=vob ;; esac
  for kind in crashes hangs; do
    for f in "$run"/default/$kind/id:*; do
      [ -f "$f" ] || continue
      found=$((found + 1))
      id=$(basename "$f" | sed 's/^id:\([0-9]*\).*/\1/')
      out=$dest/${name%.vob}-$([ "$kind" = crashes ] && echo crash || echo hang)-$id.$ext
      input=$tmp/input.$ext
      case $name in
        *boundary*) "$wrap" "$f" "$input" ;;
        *) cp "$f" "$input" ;;
      esac
      echo "=== $f (level $level, .$ext)"
      start=$(date +%s%N)
      timeout 10 "$bin" "$input" "$level" > "$tmp/stdout" 2> "$tmp/stderr"
      status=$?
      echo "exit status $status after $((($(date +%s%N) - start) / 1000000)) ms; last output: $(tail -c 200 "$tmp/stdout" | tail -n 2 | tr '\n' '|')"
      head -n 40 "$tmp/stderr"
      case $name in
        *boundary*) cp "$input" "$out" ;;
        *)
          if [ "${NO_TMIN:-0}" = 1 ]; then
            cp "$f" "$out"
          else
            mode=; [ "$kind" = hangs ] && mode=-H
            # afl-tmin hands psSIFT a file in AFL_TMPDIR: a folder named *.vob keeps DVD runs DVD.
            mkdir -p "$tmp/tmin.$ext"
            ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:symbolize=0 \
              AFL_TMPDIR=$tmp/tmin.$ext afl-tmin $mode -t 2000 -m none -i "$f" -o "$out" -- "$bin" @@ "$level" > "$tmp/tmin" 2>&1 ||
              { echo "afl-tmin failed, stored unminimised"; cp "$f" "$out"; }
          fi
          ;;
      esac
      echo "stored $out ($(stat -c %s "$out") bytes)"
    done
  done
done
echo "$found inputs triaged"
