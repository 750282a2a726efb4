#!/usr/bin/env bash
# Checks that the man page renders without a single warning:
#   groff -man -ww -z man/psSIFT.1
#   mandoc -T lint man/psSIFT.1
# Each must print nothing. mandoc is skipped, with a message, only when it is
# not installed (Debian package "mandoc"); groff is required.
# Usage: scripts/check-man.sh [PAGE]     (default: man/psSIFT.1 of this tree)
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
page=${1:-$root/man/psSIFT.1}
status=0

if [[ ! -r $page ]]; then
    echo "check-man: cannot read $page" >&2
    exit 2
fi

if ! command -v groff >/dev/null 2>&1; then
    echo "check-man: groff is not installed" >&2
    exit 2
fi

out=$(groff -man -ww -z "$page" 2>&1)
rc=$?
if [[ -n $out || $rc -ne 0 ]]; then
    echo "check-man: groff -man -ww -z $page (exit $rc):"
    printf '%s\n' "$out"
    status=1
else
    echo "check-man: groff: no warnings"
fi

if command -v mandoc >/dev/null 2>&1; then
    out=$(mandoc -T lint "$page" 2>&1)
    rc=$?
    if [[ -n $out || $rc -ne 0 ]]; then
        echo "check-man: mandoc -T lint $page (exit $rc):"
        printf '%s\n' "$out"
        status=1
    else
        echo "check-man: mandoc: no warnings"
    fi
else
    echo "check-man: mandoc is not installed; skipping the mandoc lint check (apt-get install mandoc)"
fi

if [[ $status -eq 0 ]]; then
    echo "check-man: $page passed"
fi
exit $status
