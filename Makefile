# Set-up, build and checks in one place. Every target installs what is
# missing first, so a fresh Debian 12 machine needs nothing else.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-release
WINDOWS_BUILD ?= build-windows
CMAKE_FLAGS ?=

.PHONY: all deps configure build package demo test test-sanitize fuzz bench clean windows-deps windows test-windows \
  bench-windows windows-package

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

# $(BUILD)/z917-converter_VERSION_amd64.deb: the programs, their manual
# pages, the desktop entry and the icons (cmake/debian_package.cmake).
package: build
	cmake --build $(BUILD) --target package

demo: build
	scripts/demo $(BUILD)

# Builds and starts the window (needs a desktop session: X11 or Wayland).
.PHONY: gui
gui: build
	$(BUILD)/bin/z917-converter

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DZ917_SANITIZE=ON -DZ917_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

# Coverage-guided fuzzing with libFuzzer (clang); FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 60
fuzz: deps
	CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -G Ninja -DZ917_FUZZ=ON -DZ917_BENCH=OFF -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) --target fuzz_journal fuzz_workbook
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) fuzz_journal
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) fuzz_workbook

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD)
	scripts/bench $(BENCH_BUILD)

# 64-bit Windows programs from the same tree with mingw-w64:
# $(WINDOWS_BUILD)/bin/z917-converter.exe (the window), z917conv.exe,
# z917gen.exe, z917dump.exe.
windows-deps:
	scripts/install-deps --windows

windows: windows-deps
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DZ917_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) --target z917-converter z917conv z917gen z917dump

# The Windows package: $(WINDOWS_BUILD)/z917-converter-VERSION-win64.zip and
# z917-converter-VERSION-win64-setup.exe (NSIS), with the window program when
# the build has one.
windows-package: windows-deps
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DZ917_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) --target windows-package

# The Windows unit tests, the fuzz corpus and the conversions under Wine,
# the conversions compared with the Linux build's programs.
test-windows: windows-deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) --target z917conv z917gen z917dump
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DZ917_BENCH=OFF -DZ917_HOST_BIN_DIR=$(abspath $(BUILD))/bin $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD)
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j2

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(WINDOWS_BUILD)

# Entries per second through the COM test server under Wine: one call per
# row against rows in blocks, beside the engine in process.
bench-windows: windows-deps
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DZ917_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) --target bench_com_server
	scripts/wine-run $(WINDOWS_BUILD)/bench/bench_com_server.exe \
	  $(WINDOWS_BUILD)/tests/z917_test_com_server.exe $(WINDOWS_BUILD)/bench-out
