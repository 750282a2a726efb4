#!/usr/bin/env bash
# A second oracle over what afl-fuzz kept: AFL++ sees crashes and hangs only, so every queue
# entry (and every saved crash or hang) is replayed through the robustness checker (a defined
# outcome: the summary last with exit status 0, or exit status 1 behind one fatal message) at
# the run's level, and through tests/compare_paths.sh (psSIFT and psSIFT-plain agree) at all
# levels. Inputs of the boundary runs are replayed behind their lead-in.
# Usage: fuzz/check-queues.sh BUILD_DIR [fuzz/out/RUN ...]
#   BUILD_DIR: a build with the tests (psSIFT, psSIFT-plain, pssift_check_outcome), e.g. one
#   configured with -DPSSIFT_SANITIZE=ON. Failures are listed in fuzz/out/check-queues.log.
set -u
cd "$(dirname "$0")/.."
build=${1:?usage: fuzz/check-queues.sh BUILD_DIR [RUN...]}; shift
[ $# -gt 0 ] || set -- fuzz/out/L*-*/
wrap=build-afl/boundary-wrap
cc -O2 -DBOUNDARY_MAIN -o "$wrap" fuzz/boundary_post.c
log=fuzz/out/check-queues.log
status=0
for run in "$@"; do
  run=${run%/}
  name=$(basename "$run")
  level=${name#L}; level=${level%%-*}
  ext=mpg; case $name in *.vob) ext=vob ;; esac
  dir=fuzz/out/replay/${name%.vob}.$ext   # the folder name makes the path DVD or not
  rm -rf "$dir"; mkdir -p "$dir"
  for f in "$run"/default/queue/id:* "$run"/default/crashes/id:* "$run"/default/hangs/id:*; do
    [ -f "$f" ] || continue
    out=$dir/$(basename "$f" | cut -d, -f1 | tr ':' '_').$ext
    case $name in *boundary*) "$wrap" "$f" "$out" ;; *) cp "$f" "$out" ;; esac
  done
  a=$("$build/tests/robustness/pssift_check_outcome" -t 10 -l "$level" "$build/psSIFT" "$dir" | tee -a "$log" | tail -n 1)
  b=$(tests/compare_paths.sh "$build/psSIFT" "$build/psSIFT-plain" "$dir" | tee -a "$log" | tail -n 1)
  echo "$name: outcomes at level $level: $a; fast and plain: $b" | tee -a "$log"
  case "$a $b" in *" 0 failed"*", 0 differ") ;; *) status=1 ;; esac
  case $name in *boundary*) rm -rf "$dir" ;; esac   # a lead-in of 1 MiB per input
done
exit $status
