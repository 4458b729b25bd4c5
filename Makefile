# Thin wrapper over the CMake presets. `make run` and `make test` set up a fresh
# Debian 12 machine first.
.PHONY: deps build run test test-native test-sanitize win test-win bench clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset debug
	cmake --build --preset debug

run: build
	@scripts/run.sh build/debug/src/ui/qt/kestrava

test-native: build
	ctest --preset debug

test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

test: test-native test-sanitize test-win

win: deps
	cmake --preset mingw
	cmake --build --preset mingw --target kestrava

# The core tests, the Windows tests and kestrava.exe itself, under Wine.
test-win: deps
	cmake --preset mingw
	cmake --build --preset mingw
	WINEPREFIX=$(CURDIR)/build/mingw/wine-prefix tests/win32/run-isolated.sh ctest --preset mingw

bench: deps
	cmake --preset release
	cmake --build --preset release
	build/release/bench/kestrava_bench

clean:
	rm -rf build
