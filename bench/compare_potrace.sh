#!/usr/bin/env bash
# One-Touch (Stentiford) against potrace, whole process, on the same
# generated realistic drawings: BMP of 24, 8 and 1 bits in for us, the same
# drawing as a PBM bitmap for potrace, DXF out for both. Prints the median
# wall time, the ratio ours / potrace (the target is 0.5 or less) and the
# peak resident memory of each, per size and depth, with our memory budget:
# the scan's own pixel block plus 1.2 bytes per pixel (and, for 1-bit
# input, below potrace's). The last line says whether every target is met.
#
#   bench/compare_potrace.sh [BUILD_DIR] [SIZES...]
#   (default sizes: 4000x3000 8000x6000 24000x18000)
set -euo pipefail
build=${1:-build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(4000x3000 8000x6000 24000x18000)
command -v potrace >/dev/null || { echo "compare_potrace: potrace is missing (make setup installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Median wall time (s) and largest peak RSS (MB) of a command over RUNS runs.
measure() {
  local times=() peak=0 seconds kb
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; return 1; }
    read -r seconds kb < "$work/time"
    times+=("$seconds")
    (( kb > peak )) && peak=$kb
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  echo "$median $(( peak / 1024 ))"
}

failed=0
printf '%-12s %5s %9s %9s %7s %9s %9s %10s %10s\n' size bits ours_s potrace_s ratio ours_MB pot_MB ours_B/px budget_MB
for size in "${sizes[@]}"; do
  width=${size%x*}
  height=${size#*x}
  runs=3
  (( width * height > 100000000 )) && runs=1
  "$build/bench/make_drawing" "$work/d" --all-depths "$width" "$height" 1 --realistic
  read -r pot_s pot_mb < <(measure potrace -b dxf -o "$work/p.dxf" "$work/d.pbm")
  for bits in 24 8 1; do
    read -r ours_s ours_mb < <(measure "$build/src/cli/orvane-cli" onetouch "$work/d-$bits.bmp" -o "$work/o.dxf" -q)
    ratio=$(awk -v a="$ours_s" -v b="$pot_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    per_px=$(awk -v m="$ours_mb" -v w="$width" -v h="$height" 'BEGIN { printf "%.2f", m * 1048576 / (w * h) }')
    # The BMP's pixel block: rows padded to four bytes.
    budget_mb=$(awk -v b="$bits" -v w="$width" -v h="$height" \
      'BEGIN { printf "%.1f", (int((w * b + 31) / 32) * 4 * h + 1.2 * w * h) / 1048576 }')
    verdict=$(awk -v r="$ratio" -v m="$ours_mb" -v bud="$budget_mb" -v p="$pot_mb" -v b="$bits" \
      'BEGIN { print (r <= 0.5 && m <= bud && (b != 1 || m < p)) ? "" : "  <- misses a target" }')
    [ -z "$verdict" ] || failed=1
    printf '%-12s %5s %9s %9s %7s %9s %9s %10s %10s%s\n' "$size" "$bits" "$ours_s" "$pot_s" "$ratio" "$ours_mb" "$pot_mb" "$per_px" "$budget_mb" "$verdict"
  done
  rm -f "$work"/d-*.bmp "$work"/d.pbm "$work"/*.dxf
done
if [ "$failed" = 0 ]; then
  echo "targets: PASS (every ratio at most 0.5, every peak within its budget, 1-bit below potrace)"
else
  echo "targets: FAIL (see the rows marked)"
fi
