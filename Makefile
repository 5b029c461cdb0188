# Relvan: build both faces, run every test, show the demo.
#   make deps     install what the build and the tests need (Debian 12, as root)
#   make build    build/native (logic + unit tests) and build/win32 (relvan.exe, tools)
#   make test     native unit tests, Win32 unit tests under Wine, Wine end-to-end tests
#   make demo     relvan.exe under Wine talking to a simulated host and generator
#                 (DEMO_TYPE=13, 15 or 17 for the other generator types)
#   make screenshots  the console panel drawn under Xvfb, during an exposure and off
#                 -> docs/*.png
#   make fuzz     every fuzz target for its budget (10 million runs or 10 minutes)
#   make explore  the console explored exhaustively to a fixed depth from each start,
#                 every safety invariant judged after every event (a few minutes;
#                 a shallower run is part of make test)
#   make bench    benchmarks under Wine and native micro-benchmarks -> bench/RESULTS.md
#                 (about 25 minutes; not part of make test)
#   make dist     the package for integrators -> dist/relvan-<version>.zip (32-bit;
#                 DIST_ARCH=win64 packages the 64-bit build instead, for testing)
#   make format   clang-format all C and C++ sources

JOBS ?= 2
FUZZ_DIR ?= build/fuzz
DEMO_TYPE ?= 11
E2E_TIMEOUT ?= 900
# The micro-benchmarks' build: native, Release, no sanitizers.
BENCH_DIR ?= build/bench
BENCH_ARGS ?=
# The explorer's build: native, Release, no sanitizers (the search is long).
EXPLORE_DIR ?= build/explore
EXPLORE_ARGS ?=
# The package's build: win32, the product; win64 only for a test package.
DIST_ARCH ?= win32

.PHONY: deps build build-native build-win32 build-win64 build-wine build-fuzz test test-native test-wine-unit test-e2e \
	test-fuzz-smoke fuzz demo screenshots format bench build-bench dist build-explore explore

deps:
	@tools/setup/install-deps.sh

build: deps build-native build-win32 build-fuzz build-wine

build-native:
	@test -f build/native/build.ninja || cmake --preset native
	cmake --build --preset native -j $(JOBS)

build-win32:
	@test -f build/win32/build.ninja || cmake --preset win32
	cmake --build --preset win32 -j $(JOBS)

build-win64:
	@test -f build/win64/build.ninja || cmake --preset win64
	cmake --build --preset win64 -j $(JOBS)

# The product is build/win32. The Wine tests, the demo and the benchmarks run the
# build this machine can run, and pick it themselves (tools/setup/wine-arch.sh):
# build/win32 where 32-bit code runs, otherwise build/win64, the same sources for
# 64-bit Windows. This builds the latter when it is the one (after `deps`).
build-wine:
	@arch=$$(tools/setup/wine-arch.sh); \
	if [ "$$arch" != win32 ]; then $(MAKE) --no-print-directory build-$$arch; fi

build-fuzz:
	@test -f $(FUZZ_DIR)/build.ninja || cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

# Every suite runs even when an earlier one fails; the exit status reports any failure.
test: build
	@status=0; \
	$(MAKE) --no-print-directory test-native || status=1; \
	$(MAKE) --no-print-directory test-fuzz-smoke || status=1; \
	$(MAKE) --no-print-directory test-wine-unit || status=1; \
	$(MAKE) --no-print-directory test-e2e || status=1; \
	if [ $$status -ne 0 ]; then echo "make test: FAILED"; else echo "make test: all passed"; fi; \
	exit $$status

test-native:
	ctest --preset native -j $(JOBS)

test-fuzz-smoke:
	ctest --test-dir $(FUZZ_DIR) -L fuzz-smoke --output-on-failure

fuzz: deps build-fuzz
	tests/fuzz/run-fuzz.sh $(FUZZ_DIR)

build-explore:
	@test -f $(EXPLORE_DIR)/build.ninja || cmake -S . -B $(EXPLORE_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release -DRELVAN_SANITIZE=OFF
	cmake --build $(EXPLORE_DIR) -j $(JOBS) --target relvan_explore

explore: deps build-explore
	$(EXPLORE_DIR)/tests/explore/relvan_explore $(EXPLORE_ARGS)

test-wine-unit:
	tests/unit/run-wine-unit-tests.sh

test-e2e:
	timeout --signal=TERM $(E2E_TIMEOUT) \
		python3 -m unittest discover -s tests/e2e -v

build-bench:
	@test -f $(BENCH_DIR)/build.ninja || cmake -S . -B $(BENCH_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release -DRELVAN_SANITIZE=OFF -DRELVAN_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS) --target relvan_micro

bench: deps build-win32 build-wine build-bench
	$(BENCH_DIR)/bench/micro/relvan_micro --benchmark_out=$(BENCH_DIR)/micro.txt \
		--benchmark_out_format=console
	python3 bench/run_bench.py --micro $(BENCH_DIR)/micro.txt $(BENCH_ARGS)

demo: deps build-win32 build-wine
	python3 tools/demo/demo.py --type $(DEMO_TYPE)

screenshots: deps build-win32 build-wine
	python3 tools/demo/screenshots.py --out docs

dist: deps build-$(DIST_ARCH)
	python3 tools/dist/make_dist.py --build build/$(DIST_ARCH) --arch $(DIST_ARCH) --out dist

format:
	git ls-files -co --exclude-standard '*.c' '*.cpp' '*.h' | xargs clang-format -i
