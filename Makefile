# A thin driver over the CMake presets. `make demo` and `make test` each
# start by installing whatever is missing.

.PHONY: all deps linux win32 fuzz test test-linux test-win32 test-fuzz demo dist bench clean

all: linux win32

deps:
	@scripts/install-deps

linux: deps
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux

win32: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

test-linux: linux
	ctest --preset linux

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

test-win32: win32
	scripts/wine-session ctest --preset win32

# Each fuzz target for a short, fixed time; scripts/fuzz runs a campaign.
test-fuzz: fuzz
	ctest --preset fuzz -j2

test: test-linux test-win32 test-fuzz

demo: linux win32
	@scripts/demo

dist: win32
	@scripts/package

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench
	@for b in build/bench/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf build dist
