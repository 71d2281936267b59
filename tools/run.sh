#!/usr/bin/env bash
# The main job on the bundled sample. Until the command line program exists
# this reads the sample through the core and says what the job will do.
set -euo pipefail
build=${1:-build}
if [ -x "$build/src/cli/orvane-cli" ]; then
  mkdir -p out
  exec "$build/src/cli/orvane-cli" onetouch samples/drawing.bmp -o out/drawing.dxf
fi
echo "orvane: the command line is not built yet."
echo "The main job will be: read samples/drawing.bmp, thin it (Stentiford), trace it into"
echo "polylines and write them to out/ in all six vector formats."
"$build/tests/image_tests" --gtest_brief=1 --gtest_filter='BmpRead*' >/dev/null && echo "BMP core: ready."
