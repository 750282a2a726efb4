#!/usr/bin/env bash
# Fuzzes psSIFT at one report level with AFL++.
# Usage: fuzz/run.sh LEVEL [SECONDS] [MODE]
#   LEVEL    1..4, passed to psSIFT after the input file
#   SECONDS  fuzzing time (default 1800); with "both" half goes to each of mpg and vob
#   MODE     mpg       plain program streams
#            vob       the same, but the input's path contains ".vob" (psSIFT decides on DVD
#                      by the path), so the DVD substream code runs
#            both      (default) mpg, then vob seeded with what the mpg run found
#            boundary  every input is put behind a lead-in of almost one 1 MiB block, so that
#                      it runs over the block end (fuzz/boundary_post.c); boundary-vob: as vob
# Findings land in fuzz/out/L<LEVEL>-<MODE>[.vob]/default/{crashes,hangs}; fuzz/triage.sh
# replays and minimises them.
# Builds build-afl/ with fuzz/build.sh when it is missing. Runs one afl-fuzz at a time, niced.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
level=${1:?usage: fuzz/run.sh LEVEL [SECONDS] [mpg|vob|both]}
seconds=${2:-1800}
mode=${3:-both}
case $level in 1|2|3|4) ;; *) echo "LEVEL must be 1..4" >&2; exit 2 ;; esac
case $mode in mpg|vob|both|boundary|boundary-vob) ;; *) echo "unknown MODE $mode" >&2; exit 2 ;; esac

bin=$root/build-afl/psSIFT
[ -x "$bin" ] || fuzz/build.sh
out_root=$root/fuzz/out
mkdir -p "$out_root"

# Seeds: every stream fixture of the tests (and the shared samples when they are there),
# cut to 64 KiB, plus two seeds of one full 1 MiB block (afl-fuzz reads at most 1 MiB of a
# seed), which end the data exactly at a block end.
seeds=$out_root/seeds
rm -rf "$seeds"; mkdir -p "$seeds"
add_seed() { # file name bytes
  head -c "$3" "$1" > "$seeds/$2"
  [ -s "$seeds/$2" ] || rm -f "$seeds/$2"
}
n=0
while IFS= read -r -d '' f; do
  n=$((n + 1))
  add_seed "$f" "$(printf '%03d' $n)-$(basename "$f" | tr -c 'A-Za-z0-9._\n-' _)" 65536
done < <(find tests/data tests/e2e /work/shared/samples -type f \
           \( -iname '*.mpg' -o -iname '*.vob' -o -iname '*.m2p' -o -iname '*.bin' \) -print0 2>/dev/null | sort -z)
big=0
for f in tests/data/samples/block_plus_2_packet_crosses_boundary.mpg tests/data/samples/mpeg2_ffmpeg_dvd_multi.vob; do
  if [ -f "$f" ]; then big=$((big + 1)); add_seed "$f" "big$big-$(basename "$f")" 1048576; fi
done
if [ "$(ls "$seeds" | wc -l)" = 0 ]; then   # no fixtures at all: one tiny MPEG-2 pack
  printf '\x00\x00\x01\xba\x44\x00\x04\x00\x04\x01\x01\x89\xc3\xf8\x00\x00\x01\xb9' > "$seeds/000-minimal.mpg"
fi

export AFL_SKIP_CPUFREQ=1 AFL_NO_UI=1 AFL_NO_AFFINITY=1 AFL_AUTORESUME=1
export AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_SKIP_CRASHES=1
# Leak checking at every exit would cost two thirds of the speed; the tests run with it.
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:symbolize=0:print_stacktrace=1

# afl-fuzz hands psSIFT the path <out>/default/.cur_input (its -f option does not combine with
# @@ here), so the DVD runs get an output folder whose name ends in ".vob".
fuzz_one() { # name seconds input_dir
  local name=$1 secs=$2 in=$3
  echo "== $(date -u +%FT%TZ) afl-fuzz level $level, ${secs}s -> fuzz/out/$name"
  nice -n 10 afl-fuzz -i "$in" -o "$out_root/$name" \
    -x fuzz/pssift.dict -t 2000 -m none -V "$secs" \
    -- "$bin" @@ "$level" > "$out_root/$name.log" 2>&1 || { tail -n 20 "$out_root/$name.log"; return 1; }
  fuzz/stats.sh "$out_root/$name" | tee -a "$out_root/runs.log"
}

case $mode in
  mpg) fuzz_one "L$level-mpg" "$seconds" "$seeds" ;;
  vob) fuzz_one "L$level-dvd.vob" "$seconds" "$seeds" ;;
  boundary|boundary-vob)
    lib=$root/build-afl/boundary_post.so
    cc -O2 -shared -fPIC -o "$lib" fuzz/boundary_post.c
    name=L$level-boundary; [ "$mode" = boundary ] || name=L$level-boundary-dvd.vob
    AFL_CUSTOM_MUTATOR_LIBRARY=$lib fuzz_one "$name" "$seconds" "$seeds"
    ;;
  both)
    half=$((seconds / 2))
    fuzz_one "L$level-mpg" "$half" "$seeds"
    # The .vob run starts from the fixtures and what the .mpg run found.
    mixed=$out_root/seeds-L$level-dvd
    rm -rf "$mixed"; mkdir -p "$mixed"
    cp "$seeds"/* "$mixed"/
    find "$out_root/L$level-mpg/default/queue" -maxdepth 1 -type f -size -1200k -exec cp {} "$mixed"/ \; 2>/dev/null || true
    fuzz_one "L$level-dvd.vob" "$((seconds - half))" "$mixed"
    ;;
esac
