#!/usr/bin/env bash
# Make a large DVD-like MPEG-2 program stream for benchmarking psSIFT.
#
# Usage: bench/make-stream.sh [SIZE_MIB] [OUT]
#   SIZE_MIB  size of the stream in MiB (default 1024)
#   OUT       output path (default bench/data/dvd-1g.vob); keep the .vob suffix
#             so psSIFT treats the file as a DVD video object
#
# Does nothing if OUT already exists. Otherwise:
#   1. encodes a short clip (CLIP_SECONDS, default 60) with ffmpeg's DVD muxer:
#      MPEG-2 video 720x576 25 fps (testsrc2, about 5 Mbit/s, GOP of 15),
#      AC3 (0xBD substream 0x80) and MP2 (0xC0) stereo sine tones, 2048-byte
#      packs at 10.08 Mbit/s, with a nav pack (system header + two private
#      stream 2 packets) at each GOP;
#   2. repeats the clip's packs back to back up to SIZE_MIB MiB (cutting only
#      at a pack boundary) and appends one program end code.
# The clip is kept beside OUT (clip-<N>s.vob) and reused for later sizes.
#
# Needs: ffmpeg, coreutils, bash. Encoding runs under nice.
set -euo pipefail

size_mib=${1:-1024}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${2:-$here/data/dvd-1g.vob}
clip_seconds=${CLIP_SECONDS:-60}
pack=2048

case $size_mib in
  ''|*[!0-9]*) echo "make-stream: SIZE_MIB must be a whole number of MiB: $size_mib" >&2; exit 2 ;;
esac
if [ "$size_mib" -lt 1 ]; then
  echo "make-stream: SIZE_MIB must be at least 1" >&2; exit 2
fi

if [ -e "$out" ]; then
  echo "make-stream: $out exists ($(stat -c %s "$out") bytes), left as it is"
  exit 0
fi

outdir=$(dirname "$out")
mkdir -p "$outdir"
clip=$outdir/clip-${clip_seconds}s.vob

if [ ! -s "$clip" ]; then
  if ! command -v ffmpeg >/dev/null 2>&1; then
    echo "make-stream: ffmpeg not found (apt-get install -y ffmpeg)" >&2
    exit 1
  fi
  echo "make-stream: encoding ${clip_seconds} s clip $clip"
  nice -n 10 ffmpeg -hide_banner -loglevel error -nostdin -y \
    -f lavfi -i "testsrc2=size=720x576:rate=25" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" \
    -f lavfi -i "sine=frequency=660:sample_rate=48000" \
    -t "$clip_seconds" \
    -map 0:v -map 1:a -map 2:a \
    -c:v mpeg2video -pix_fmt yuv420p -aspect 4:3 \
    -b:v 5M -maxrate 8M -bufsize 1835k -g 15 -bf 2 \
    -c:a:0 ac3 -b:a:0 192k -ac:a:0 2 \
    -c:a:1 mp2 -b:a:1 192k -ac:a:1 2 \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
    -f dvd -muxrate 10080000 -packetsize "$pack" \
    "$clip.tmp"
  mv "$clip.tmp" "$clip"
fi

clip_bytes=$(stat -c %s "$clip")
# The clip's packs, without a program end code at its very end if it has one.
body=$clip_bytes
if [ "$clip_bytes" -ge 4 ] && [ "$(tail -c 4 "$clip" | od -An -tx1 | tr -d ' \n')" = "000001b9" ]; then
  body=$((clip_bytes - 4))
fi
if [ $((body % pack)) -ne 0 ]; then
  echo "make-stream: $clip: $body bytes of packs is not a multiple of $pack" >&2
  exit 1
fi
if [ "$(head -c 4 "$clip" | od -An -tx1 | tr -d ' \n')" != "000001ba" ]; then
  echo "make-stream: $clip does not start with a pack header" >&2
  exit 1
fi

target=$((size_mib * 1024 * 1024))
copies=$((target / body))
rest=$((target % body))   # a multiple of $pack, since both are

tmp=$out.tmp
: > "$tmp"
if [ "$body" -eq "$clip_bytes" ]; then
  for ((i = 0; i < copies; i++)); do cat "$clip" >> "$tmp"; done
else
  for ((i = 0; i < copies; i++)); do head -c "$body" "$clip" >> "$tmp"; done
fi
if [ "$rest" -gt 0 ]; then
  head -c "$rest" "$clip" >> "$tmp"
fi
printf '\000\000\001\271' >> "$tmp"
mv "$tmp" "$out"

bytes=$(stat -c %s "$out")
echo "make-stream: $out: $bytes bytes ($((bytes / pack)) packs of $pack bytes + end code;" \
     "$copies whole copies of a $body-byte clip + $((rest / pack)) packs)"
