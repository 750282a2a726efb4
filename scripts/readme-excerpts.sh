#!/usr/bin/env bash
# Writes the report excerpts of README.md from the bundled samples, so that they cannot drift
# from what psSIFT prints. Each excerpt is a block
#   <!-- excerpt: SAMPLE LEVEL FIRST LAST -->  ... fenced lines FIRST to LAST of the report ...  <!-- /excerpt -->
# where SAMPLE lies in tests/data/samples and psSIFT runs in that folder.
# Usage: readme-excerpts.sh PSSIFT [--check]   (--check: exit 1 when README.md is not current)
set -euo pipefail
bin=$(realpath "${1:?usage: readme-excerpts.sh PSSIFT [--check]}")
mode=${2:-write}
root=$(cd "$(dirname "$0")/.." && pwd)
readme=$root/README.md
samples=$root/tests/data/samples
fresh=$(mktemp)
trap 'rm -f "$fresh"' EXIT

skipping=0
while IFS= read -r line || [ -n "$line" ]; do
  if [ $skipping = 1 ]; then
    if [ "$line" = "<!-- /excerpt -->" ]; then
      printf '%s\n' "$line" >> "$fresh"
      skipping=0
    fi
    continue
  fi
  printf '%s\n' "$line" >> "$fresh"
  if [[ $line =~ ^\<!--\ excerpt:\ ([^ ]+)\ ([1-4])\ ([0-9]+)\ ([0-9]+)\ --\>$ ]]; then
    sample=${BASH_REMATCH[1]} level=${BASH_REMATCH[2]} first=${BASH_REMATCH[3]} last=${BASH_REMATCH[4]}
    {
      echo '```'
      (cd "$samples" && "$bin" "$sample" "$level") | sed -n "${first},${last}p"
      echo '```'
    } >> "$fresh"
    skipping=1
  fi
done < "$readme"

if [ "$mode" = --check ]; then
  if ! cmp -s "$fresh" "$readme"; then
    echo "README.md excerpts are not what psSIFT prints now; run scripts/readme-excerpts.sh build/psSIFT"
    diff "$readme" "$fresh" | head -n 20
    exit 1
  fi
  echo "README.md excerpts are current"
else
  cp "$fresh" "$readme"
fi
