#!/usr/bin/env bash
# The main job: One-Touch vectorisation of the bundled floor plan into out/,
# in all six vector formats.
set -euo pipefail
build=${1:-build}
mkdir -p out
"$build/src/cli/orvane-cli" onetouch samples/floor_plan.bmp -o out --format all
echo "Written to out/: $(cd out && ls floor_plan.* | tr '\n' ' ')"
