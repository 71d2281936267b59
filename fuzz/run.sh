#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ (libFuzzer, ASan and
# UBSan) and runs each in turn for FUZZ_SECONDS seconds (default 60) on a
# scratch copy of its seed corpus and its regression inputs, so the tree is
# never changed. Prints each target's execution count; a crash prints the
# fault, leaves the input in build-fuzz/fuzz-runs/<target>/artifacts/ and
# makes the script fail (after the other targets have run).
#
#   fuzz/run.sh                    every target
#   fuzz/run.sh arc_read_fuzz      just the ones named
#   FUZZ_SECONDS=600 fuzz/run.sh   longer runs
# Extra libFuzzer flags can be given in FUZZ_FLAGS (such as -runs=1000000).
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_DIR=${FUZZ_DIR:-build-fuzz}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
FUZZ_FLAGS=${FUZZ_FLAGS:-}
JOBS=${JOBS:-2}
all_targets=(bmp_read_fuzz arc_read_fuzz arguments_fuzz thin_trace_fuzz)
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=("${all_targets[@]}")
fi

if [ ! -f "$FUZZ_DIR/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON
fi
cmake --build "$FUZZ_DIR" -j "$JOBS" --target "${targets[@]}"
programs=$(cd "$FUZZ_DIR/fuzz" && pwd)

failed=()
for target in "${targets[@]}"; do
  work="$FUZZ_DIR/fuzz-runs/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  # Hidden files (.gitkeep) are not inputs.
  find "fuzz/corpus/$target" "fuzz/regressions/$target" -maxdepth 1 -type f ! -name '.*' -exec cp {} "$work/corpus/" \;

  flags=(-max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=artifacts/)
  if [ -f "fuzz/$target.dict" ]; then
    flags+=(-dict="$PWD/fuzz/$target.dict")
  fi
  case "$target" in
    # Three bytes of size and method, then 48 x 48 pixels at most.
    thin_trace_fuzz) flags+=(-max_len=291) ;;
    # A command line of a few dozen arguments; longer ones only run slower.
    arguments_fuzz) flags+=(-max_len=512) ;;
  esac
  # shellcheck disable=SC2206 # FUZZ_FLAGS is a list of flags
  flags+=($FUZZ_FLAGS)

  echo "== $target: ${FUZZ_SECONDS} s"
  status=0
  # In the scratch folder: the arguments target looks at the file system
  # relative to where it runs.
  (cd "$work" && "$programs/$target" "${flags[@]}" corpus) >"$work/log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    echo "!! $target failed (exit $status) after ${executions:-?} executions:"
    grep -E 'ERROR:|SUMMARY:|check failed|tracer error|what\(\)|^    #[0-9]+ .* in (orvane|LLVMFuzzer)' "$work/log" | head -n 25 || true
    for input in "$work"/artifacts/*; do
      [ -e "$input" ] || continue
      known=""
      for regression in "fuzz/regressions/$target"/*; do
        if [ -f "$regression" ] && cmp -s "$input" "$regression"; then
          known=$regression
        fi
      done
      if [ -n "$known" ]; then
        echo "   input: $known still crashes"
      else
        echo "   input: $input (add it to fuzz/regressions/$target/)"
      fi
    done
    echo "   full log: $work/log"
    failed+=("$target")
  else
    echo "   $target: ${executions} executions, no crash"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: crashes in ${failed[*]}" >&2
  exit 1
fi
