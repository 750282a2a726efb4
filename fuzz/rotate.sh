#!/usr/bin/env bash
# Fuzzes every level in turn, one afl-fuzz at a time: levels 1-4 with a plain name and with a
# DVD (.vob) name, then two block-boundary runs. Usage: fuzz/rotate.sh [SECONDS_PER_RUN]
# (default 750, about two hours in all). Meant to run in the background:
#   setsid nohup fuzz/rotate.sh > fuzz/out/rotate.log 2>&1 &
set -u
cd "$(dirname "$0")/.."
per=${1:-750}
for run in "1 mpg" "1 vob" "2 mpg" "2 vob" "3 mpg" "3 vob" "4 mpg" "4 vob" "1 boundary" "2 boundary-vob"; do
  set -- $run
  fuzz/run.sh "$1" "$per" "$2" || echo "run $run failed"
done
echo "== $(date -u +%FT%TZ) rotation done"
