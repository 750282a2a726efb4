#!/usr/bin/env bash
# Runs psSIFT and psSIFT-plain (every fast path off) on every stream file under the given
# folders at levels 1 to 4 and requires identical output and exit status.
# Usage: compare_paths.sh PSSIFT PSSIFT_PLAIN DIR...
set -u
fast=$1 plain=$2; shift 2
a=$(mktemp) b=$(mktemp)
trap 'rm -f "$a" "$b"' EXIT
runs=0 failed=0
while IFS= read -r -d '' f; do
  for level in 1 2 3 4; do
    "$fast" "$f" "$level" > "$a" 2>&1; sa=$?
    "$plain" "$f" "$level" > "$b" 2>&1; sb=$?
    runs=$((runs + 1))
    if [ "$sa" != "$sb" ] || ! cmp -s "$a" "$b"; then
      failed=$((failed + 1))
      echo "DIFFERS: $f level $level (exit $sa vs $sb)"
      diff "$a" "$b" | head -n 6
    fi
  done
done < <(find "$@" -type f \( -iname '*.mpg' -o -iname '*.vob' -o -iname '*.bin' -o -iname '*.m2p' \) -print0 | sort -z)
echo "compared $runs reports, $failed differ"
[ "$runs" -gt 0 ] && [ "$failed" = 0 ]
