# make test  installs what is missing, builds both trees, runs every test.
# make run   builds and starts the desktop program under Wine.

NATIVE := build/native
WIN    := build/win
JOBS   ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: test deps configure build run clean

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

clean:
	rm -rf build
