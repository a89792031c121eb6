# make run    installs what is missing, builds the desktop program and starts
#             it under Wine (on a virtual display when there is none).
# make test   installs what is missing, builds the trees, runs every test
#             (the fuzz targets for a few seconds each).
# make fuzz   runs every fuzz target for FUZZ_SECONDS, keeping its corpus.
# make bench  builds a release tree without sanitizers and runs the benchmarks.
# make installer  builds build/win/Quellmark-Setup.exe with its help file.

BUILD_ROOT ?= build
NATIVE := $(BUILD_ROOT)/native
WIN    := $(BUILD_ROOT)/win
FUZZ   := $(BUILD_ROOT)/fuzz
FUZZ_SECONDS ?= 600
JOBS   ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: run test test-native test-win deps configure build clean bench fuzz installer

deps:
	@tools/install-deps.sh

$(NATIVE)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"

$(WIN)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release

# clang and libFuzzer; the core instrumented, the fuzz targets instead of the tests.
$(FUZZ)/CMakeCache.txt: | deps
	cmake -S . -B $(FUZZ) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQM_FUZZ=ON \
	  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"

configure: deps $(NATIVE)/CMakeCache.txt $(WIN)/CMakeCache.txt $(FUZZ)/CMakeCache.txt

build: configure
	cmake --build $(NATIVE) -j $(JOBS)
	cmake --build $(WIN) -j $(JOBS)
	cmake --build $(FUZZ) -j $(JOBS)

# Builds only what the desktop program needs and starts it (see
# tools/run-desktop.sh: without an X display it makes a virtual one and
# keeps a screenshot of it fresh).
run: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target Quellmark
	tools/run-desktop.sh $(WIN)/meter/Quellmark.exe $(BUILD_ROOT)/run

# The help file's screenshots are taken from the program under Xvfb, so
# this runs the program once (in a prefix of its own, on a display of its own).
installer: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target installer
	@echo "built $(WIN)/Quellmark-Setup.exe"

test: build
	$(MAKE) --no-print-directory test-native test-win

# The parts of `make test`, for an already built tree: the native unit tests
# and the fuzz targets, which share nothing, and the Wine tree, whose
# end-to-end tests use a fixed mail port, network namespace and displays.
test-native:
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	cd $(FUZZ) && ctest --output-on-failure -j $(JOBS) -L '^fuzz$$' $(CTEST_ARGS)

test-win:
	cd $(WIN) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# Crashing inputs are left in $(FUZZ)/crashes/<target>/.
fuzz: deps $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) -j $(JOBS)
	cd $(FUZZ) && QM_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --output-on-failure -j $(JOBS) -L fuzz-long \
	  --timeout $$(( $(FUZZ_SECONDS) + 300 ))

# Benchmarks: a release tree without sanitizers; every bench_* program runs.
bench: deps
	cmake -S . -B $(BUILD_ROOT)/bench -DCMAKE_BUILD_TYPE=Release -DQM_SANITIZE=OFF
	cmake --build $(BUILD_ROOT)/bench -j $(JOBS)
	for b in $$(find $(BUILD_ROOT)/bench/bench -type f -name 'bench_*' -perm -u+x); do echo "== $$b"; $$b; done

clean:
	rm -rf build
