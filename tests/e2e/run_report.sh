#!/usr/bin/env bash
# Runs psSIFT on one stream at one level, in the stream's folder (so the report names the bare
# file), and compares its exit status and its report from the fourth line on (the banner's two
# credit lines and the blank line are not compared) with DIR/expected/NAME.LLEVEL.txt.
# Usage: run_report.sh PSSIFT DIR NAME LEVEL STATUS
set -u
bin=$1 dir=$2 name=$3 level=$4 want_status=$5
cd "$dir" || exit 2
got=$(mktemp)
trap 'rm -f "$got"' EXIT
"$bin" "$name" "$level" > "$got" 2>&1
status=$?
if [ "$status" != "$want_status" ]; then
  echo "exit status $status, expected $want_status"
  exit 1
fi
if ! tail -n +4 "$got" | cmp -s - "expected/$name.L$level.txt"; then
  echo "report differs from expected/$name.L$level.txt:"
  tail -n +4 "$got" | diff - "expected/$name.L$level.txt" | head -n 20
  exit 1
fi
