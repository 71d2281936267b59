#!/usr/bin/env bash
# Whole-process One-Touch (Stentiford) from the command line: BMP in, DXF
# out, on the generated 4000 x 3000 24-bit drawing. Prints the wall time of
# each of five runs, the median, and the peak resident memory.
#
#   bench/onetouch_cli.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_drawing" "$work/drawing.bmp" 4000 3000
times=()
peak=0
for run in 1 2 3 4 5; do
  /usr/bin/time -f '%e %M' -o "$work/time" \
    "$build/src/cli/orvane-cli" onetouch "$work/drawing.bmp" -o "$work/drawing.dxf" --method stentiford -q
  read -r seconds kb < "$work/time"
  times+=("$seconds")
  (( kb > peak )) && peak=$kb
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
lines=$(grep -c '^POLYLINE' <(tr -d '\r' < "$work/drawing.dxf") || true)
echo "onetouch stentiford 4000x3000 -> DXF: runs ${times[*]} s; median ${median} s; peak RSS $((peak / 1024)) MB; ${lines} polylines"
