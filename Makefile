# Thin wrapper over the CMake presets. `make run` and `make test` set up a fresh
# Debian 12 machine first.
.PHONY: deps build run test test-native test-sanitize win test-win bench fuzz test-fuzz check-memory clean
.PHONY: deb windows-zip package test-package

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset debug
	cmake --build --preset debug

# The virtual mixer on 127.0.0.1:10023 and Kestrava in run/, pointed at it on first run.
run: deps
	cmake --preset debug
	cmake --build --preset debug --target kestrava virtual-mixer
	@scripts/run.sh build/debug/src/ui/qt/kestrava build/debug/tools/virtual-mixer/virtual-mixer

test-native: build
	ctest --preset debug

test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

test: test-native test-sanitize test-fuzz check-memory test-package test-win

win: deps
	cmake --preset mingw
	cmake --build --preset mingw --target kestrava

# The core tests, the Windows tests and kestrava.exe itself, under Wine.
test-win: deps
	cmake --preset mingw
	cmake --build --preset mingw
	WINEPREFIX=$(CURDIR)/build/mingw/wine-prefix tests/win32/run-isolated.sh ctest --preset mingw

# Each fuzz target over its seed corpus only (part of `make test`).
test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	ctest --preset fuzz

# Each fuzz target explores for FUZZ_SECONDS, from its seed corpus.
FUZZ_SECONDS ?= 60
fuzz: test-fuzz
	@scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)

# A short session of the Qt program under valgrind's memcheck: no error, no definite leak.
check-memory: build
	QT_QPA_PLATFORM=offscreen valgrind --error-exitcode=9 --leak-check=full \
	  --errors-for-leak-kinds=definite --show-leak-kinds=definite \
	  build/debug/tests/qt/qt_session_tests

# The Debian package, from a release build of the two programs (build/package/*.deb).
deb: deps
	cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DKESTRAVA_BUILD_TESTS=OFF -DKESTRAVA_BUILD_BENCH=OFF
	cmake --build build/package -j2
	rm -f build/package/kestrava_*.deb
	cd build/package && cpack -G DEB

# kestrava.exe with a README for Windows users (build/mingw/kestrava-*-windows-x86_64.zip).
windows-zip: win
	cmake --build --preset mingw --target windows-zip

package: deb windows-zip

# Checks the package; as root also installs it and starts both programs from their
# menu entries, then removes it again.
test-package: deb
	tests/e2e/package-test.sh build/package

bench: deps
	cmake --preset release
	cmake --build --preset release
	build/release/bench/kestrava_bench

clean:
	rm -rf build
