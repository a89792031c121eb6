# make test  installs what is missing, builds both trees, runs every test.
# make run   builds and starts the desktop program under Wine.

BUILD_ROOT ?= build
NATIVE := $(BUILD_ROOT)/native
WIN    := $(BUILD_ROOT)/win
JOBS   ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: test deps configure build run clean bench

deps:
	@tools/install-deps.sh

$(NATIVE)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"

$(WIN)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release

configure: deps $(NATIVE)/CMakeCache.txt $(WIN)/CMakeCache.txt

build: configure
	cmake --build $(NATIVE) -j $(JOBS)
	cmake --build $(WIN) -j $(JOBS)

test: build
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	cd $(WIN) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# Benchmarks: a release tree without sanitizers; every bench_* program runs.
bench: deps
	cmake -S . -B $(BUILD_ROOT)/bench -DCMAKE_BUILD_TYPE=Release -DQM_SANITIZE=OFF
	cmake --build $(BUILD_ROOT)/bench -j $(JOBS)
	for b in $$(find $(BUILD_ROOT)/bench/bench -type f -name 'bench_*' -perm -u+x); do echo "== $$b"; $$b; done

clean:
	rm -rf build
