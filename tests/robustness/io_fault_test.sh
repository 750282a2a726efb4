#!/usr/bin/env bash
# Read failures in the middle of a file, made real by the fail_read preload library: the
# file's descriptor is closed after a given number of bytes, so stdio's read fails.
#   - failure after 1.5 MiB (in the second block): the report ends with
#     "\nUnable to read from file PATH.\n", exit status 1, no summary;
#   - failure inside the first block: "Unable to read from file PATH.\n" right behind the
#     banner, exit status 1;
#   - failure right at the end of the first block of a 2 MiB file: the refill fails;
#   - the library loaded but no failure (or one beyond the end): the same report, byte for
#     byte, as without it, ending in the summary with exit status 0, also for files of
#     exactly 1 MiB and 2 MiB.
# Usage: io_fault_test.sh PSSIFT FAIL_READ_LIB CHECK_OUTCOME SAMPLE WORKDIR
#   SAMPLE: a program stream of more than 1.5 MiB without an end code at its end
set -u
bin=$1 lib=$2 checker=$3 sample=$4 work=$5
mkdir -p "$work"
big=$work/io-fault-1.5m.vob one=$work/io-fault-1m.vob two=$work/io-fault-2m.vob
cp "$sample" "$big"
head -c 1048576 "$sample" > "$one"
{ cat "$sample"; head -c $((2097152 - $(stat -c %s "$sample"))) "$sample"; } > "$two"
[ "$(stat -c %s "$big")" -gt 1572864 ] || { echo "sample too small"; exit 2; }
[ "$(stat -c %s "$two")" = 2097152 ] || { echo "could not build the 2 MiB file"; exit 2; }

# psSIFT under a sanitizer runtime: the runtime wants to come first among the libraries.
preload=$lib
if runtime=$(ldd "$bin" | awk '/libasan/ { print $3 }') && [ -n "$runtime" ]; then
  preload=$runtime:$lib
fi
out=$work/io-fault.out
failures=0 passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { passes=$((passes + 1)); }

run_failing() { # file after level -> sets $rc, output in $out
  FAIL_READ_FILE=$(basename "$1") FAIL_READ_AFTER=$2 LD_PRELOAD=$preload "$bin" "$1" "$3" > "$out" 2>&1
  rc=$?
}

for level in 1 2 3 4; do
  # In the second block.
  run_failing "$big" 1572864 $level
  printf '\nUnable to read from file %s.\n' "$big" > "$out.want"
  if [ "$rc" != 1 ]; then fail "1.5 MiB, level $level: exit status $rc"
  elif ! tail -c "$(stat -c %s "$out.want")" "$out" | cmp -s - "$out.want"; then
    fail "1.5 MiB, level $level: ends with: $(tail -n 2 "$out")"
  elif grep -q '^Summary:$' "$out"; then fail "1.5 MiB, level $level: summary printed"
  else pass; fi
  # Right at the end of the first block of the 2 MiB file.
  run_failing "$two" 1048576 $level
  if [ "$rc" != 1 ] || [ "$(tail -n 1 "$out")" != "Unable to read from file $two." ]; then
    fail "at 1 MiB of 2 MiB, level $level: exit status $rc, last line $(tail -n 1 "$out")"
  else pass; fi
  # Inside the first block: the banner, then the message, nothing else.
  for after in 0 100000; do
    run_failing "$big" $after $level
    if [ "$rc" != 1 ] || [ "$(wc -l < "$out")" != 4 ] || [ "$(sed -n 3p "$out")" != "" ] ||
       [ "$(sed -n 4p "$out")" != "Unable to read from file $big." ]; then
      fail "first block after $after, level $level: exit status $rc, output: $(tail -n 3 "$out")"
    else pass; fi
  done
  # No failure: the same report as without the library.
  for f in "$big" "$one" "$two"; do
    for after in "" 99999999; do
      FAIL_READ_FILE=$(basename "$f") FAIL_READ_AFTER=$after LD_PRELOAD=$preload "$bin" "$f" $level > "$out" 2>&1
      rc=$?
      if [ "$rc" != 0 ] || ! "$bin" "$f" $level 2>&1 | cmp -s - "$out"; then
        fail "no failure, $(basename "$f") after '$after', level $level: exit status $rc or report differs"
      else pass; fi
    done
  done
done
# And those clean runs end in the summary.
"$checker" "$bin" "$big" "$one" "$two" | tail -n 1 | grep -q ' 0 failed' || fail "clean runs do not end in the summary"
echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
