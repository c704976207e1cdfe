# Ruxa: the two commands of the README, and a few for developers.
#
#   make run    build RUXA.SCR and run the saver (on this display, or headless
#               into build/run/ruxa.gif when there is none)
#   make test   native unit tests, then the Wine tests
#
# Others: make build, make native, make windows, make windows64, make arm64,
#         make release (the installer and the zip in dist/),
#         make verify-release DIST=folder (rebuild a published release and
#         compare it byte for byte), make fuzz,
#         make bench, make bootstrap, make clean.

SHELL := /bin/sh
JOBS ?= 2

.PHONY: all bootstrap build native windows windows64 arm64 test test-native test-wine run release verify-release fuzz bench clean

all: build

bootstrap:
	@sh tools/bootstrap.sh

native: bootstrap
	@[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
	@cmake --build build/native -j$(JOBS)

windows: bootstrap
	@[ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
	@cmake --build build/windows -j$(JOBS)
	@echo "built build/windows/RUXA.SCR"

windows64: bootstrap
	@[ -f build/windows64/CMakeCache.txt ] || cmake --preset windows64 >/dev/null
	@cmake --build build/windows64 -j$(JOBS)

arm64: bootstrap
	@[ -f build/arm64/CMakeCache.txt ] || cmake --preset arm64 >/dev/null
	@cmake --build build/arm64 -j$(JOBS)
	@echo "built build/arm64/RUXA.SCR"

build: native windows

test-native: native
	@build/native/ruxa_native_tests --gtest_brief=1

test-wine: windows
	@sh tools/winetest.sh

test: bootstrap
	@sh tools/test.sh

run: windows
	@sh tools/run.sh

release: bootstrap
	@sh tools/release.sh

verify-release: bootstrap
	@sh tools/release/verify.sh "$(DIST)"

fuzz:
	@RUXA_EXTRA_PACKAGES=clang sh tools/bootstrap.sh
	@[ -f build/fuzz/CMakeCache.txt ] || CC=clang CXX=clang++ cmake --preset native -B build/fuzz -DRUXA_FUZZ=ON >/dev/null
	@cmake --build build/fuzz -j$(JOBS)
	@for f in build/fuzz/*_fuzz; do echo "fuzzing $$f for $${FUZZ_SECONDS:-60} s"; \
	    mkdir -p build/fuzz/corpus/$$(basename $$f); \
	    $$f -max_total_time=$${FUZZ_SECONDS:-60} build/fuzz/corpus/$$(basename $$f) 2>&1 | tail -3 || exit 1; done

bench: native windows
	@sh tools/bench.sh

clean:
	rm -rf build dist
