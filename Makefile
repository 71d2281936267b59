# The one entry point for people and CI.
#   make run    set up, build, and run the main job on the bundled sample
#   make test   set up, build, run every test; then again under ASan + UBSan;
#               then every fuzz target for 10 s
#   make fuzz   build the fuzz targets with clang and run each for FUZZ_SECONDS
#   make bench  build and run the benchmarks (release build)
#   make gui    set up, build, and open the desktop program on the bundled sample

BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS      ?= 2
CMAKE_GEN := -G Ninja

.PHONY: all setup build build-asan test test-fast test-asan fuzz bench bench-compare bench-fidelity run gui screenshots clean

all: build

setup:
	@bash tools/setup.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_DIR)/build.ninja:
	cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS)

# The suite in the normal build only.
test-fast: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The same suite under the sanitizers; any leak or undefined behaviour fails.
test-asan: build-asan
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Each fuzz target (fuzz/) for FUZZ_SECONDS seconds, built with clang,
# libFuzzer, ASan and UBSan in $(FUZZ_DIR); a crash fails.
fuzz: setup
	@FUZZ_DIR=$(FUZZ_DIR) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) bash fuzz/run.sh

test: setup
	$(MAKE) test-fast
	$(MAKE) test-asan
	$(MAKE) fuzz FUZZ_SECONDS=10

bench: setup build
	@for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b --benchmark_counters_tabular=true || exit 1; done
	@bash bench/onetouch_cli.sh $(BUILD_DIR)

# One-Touch against potrace on the same generated drawings, three sizes and
# three depths (the largest takes a few minutes): the ratios and memory.
bench-compare: setup build
	@bash bench/compare_potrace.sh $(BUILD_DIR)

# One-Touch's lines against where the strokes were drawn, on the realistic
# drawing and the feature scenes, per thinning method and topology: recall,
# precision, lines and pieces per stroke, stubs, time, and the targets.
bench-fidelity: setup build
	@bash bench/fidelity.sh $(BUILD_DIR)

run: setup build
	@bash tools/run.sh $(BUILD_DIR)

gui: setup build
	$(BUILD_DIR)/src/app/orvane samples/floor_plan.bmp

# PNGs of the real program under Xvfb, worked from the keyboard: out/screenshots/.
screenshots: setup build
	@bash tools/screenshots.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) out
