# A thin driver over the CMake presets. `make demo` and `make test` each
# start by installing whatever is missing.
#
# The Windows half runs on one of three legs: win32 (the shipped i686 build
# under 32-bit Wine) where this machine runs 32-bit code; win32-emulated (the
# same, with 32-bit Wine under qemu-i386) where 32-bit code runs only through
# qemu; win64 (the same code built for x86-64, under 64-bit Wine) where
# neither. scripts/windows-leg decides by trying, and says which, why and
# which tests ran where. `make test-win32`, `make test-win32-emulated` or
# `make test-win64` forces a leg; test-win32-emulated runs on any machine
# (scripts/emulated-32bit).

# The one place the version is written; CMake and scripts/package read it too.
VERSION := $(shell head -n1 VERSION)

.PHONY: all deps linux win32 win64 product fuzz test test-linux test-win32 test-win64 \
	test-win32-emulated test-windows test-fuzz test-dist demo dist bench clean

all: linux win32

deps:
	@scripts/install-deps

linux: deps
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux

win32: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

win64: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64

# What users install, whatever leg runs the tests: the i686 DLL and tester.
product: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target Sendwarden sendwarden-check

test-linux: linux
	ctest --preset linux

# The win32 preset's own tests include the static checks of the DLL.
test-win32: win32
	scripts/wine-session win32 ctest --preset win32

# The same tests with every 32-bit program under qemu-i386, as on a machine
# whose kernel runs no 32-bit code; where this one does, in a namespace of
# its own. Wine's loader and server are named by path (scripts/wine-env).
# Two at a time: an emulated process spends much of its start waiting, and
# the suite then takes about half as long.
test-win32-emulated: win32
	@scripts/install-deps --emulated
	scripts/emulated-32bit scripts/wine-session win32 ctest --preset win32 -j2

# The 64-bit build's tests, then the shipped i686 DLL's PE shape, which
# needs no Wine.
test-win64: win64 product
	scripts/wine-session win64 ctest --preset win64
	python3 tests/e2e/check_dll.py --machine i386 build/win32/Sendwarden.dll
	python3 tests/e2e/check_dll_faults.py --compiler i686-w64-mingw32-g++-posix \
	  --def resources/Sendwarden.def

test-windows: deps
	@leg=$$(scripts/windows-leg) && $(MAKE) --no-print-directory test-$$leg

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

# Each fuzz target for a short, fixed time; scripts/fuzz runs a campaign.
test-fuzz: fuzz
	ctest --preset fuzz -j2

# The zip users install, whatever leg ran.
test-dist: product
	@scripts/package >/dev/null
	python3 tests/e2e/check_dist.py dist/Sendwarden-$(VERSION).zip .

test: test-linux test-windows test-dist test-fuzz
	@scripts/windows-leg >/dev/null

demo: linux product
	@leg=$$(scripts/windows-leg) && leg=$${leg%-emulated} && \
	  $(MAKE) --no-print-directory $$leg && scripts/demo $$leg

dist: product
	@scripts/package

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench
	@for b in build/bench/bench/*_bench; do echo "== $$b"; \
	  case $$b in *scan_bench) $$b build/bench/sendwarden-check;; *) $$b;; esac; done

clean:
	rm -rf build dist
