# Thin wrapper around CMake. `make test` runs every test (plain and
# sanitizer builds); `make demo` shows DOLV at work on a scratch folder.
PREFIX ?= /usr/local
DESTDIR ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
# No "Entering directory" lines from the makes that CMake starts.
MAKEFLAGS += --no-print-directory
# WERROR=ON builds with -Werror (the test targets set it; CI runs `make test`).
# Left empty, a build folder keeps what it was configured with.
WERROR ?=
werror = $(if $(WERROR),-DDOLV_WERROR=$(WERROR))

.PHONY: all build configure program test test-plain test-asan demo install uninstall clean windows test-windows test-fuzz bench fuzz package

all: build

build: configure
	$(CMAKE) --build build -j $(JOBS)

configure:
	@$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(werror) >/dev/null

# The program alone, quietly: its compiler output is shown only when the
# build fails.
program: configure
	@echo "Building build/dolv"
	@$(CMAKE) --build build -j $(JOBS) --target dolv >build/program.log 2>&1 || { cat build/program.log; exit 1; }

test: test-plain test-asan test-windows test-fuzz

# The tests labelled windows (registered where build-windows/dolv.exe and
# wine exist) are left to test-windows, which prepares wine for them.
test-plain test-asan test-windows test-fuzz: WERROR = ON
test-plain: build
	cd build && ctest --output-on-failure -j $(JOBS) -LE windows

test-asan:
	$(CMAKE) -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDOLV_SANITIZE=ON $(werror) >/dev/null
	$(CMAKE) --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) -LE windows

# The Windows build (mingw-w64) and its end-to-end tests under wine; the
# script skips with a notice when the cross compiler or wine is missing.
windows:
	$(CMAKE) -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli $(werror) >/dev/null
	$(CMAKE) --build build-windows -j $(JOBS)

test-windows: build
	WERROR=$(WERROR) sh tests/windows/run.sh

# Short runs of every fuzz target (clang with libFuzzer); `make fuzz` runs each for 60 s.
test-fuzz:
	DOLV_WERROR=$(WERROR) sh tests/fuzz/run.sh 10

fuzz:
	sh tests/fuzz/run.sh 60

bench:
	sh bench/run.sh

# The Debian package, and the Windows zip where the cross compiler is at hand.
package: program
	cd build && cpack -G DEB
	sh packaging/windows-zip.sh build

demo: program
	@sh demo/demo.sh build/dolv

# Installs the program stripped of its symbols, as the package does.
install: program
	DESTDIR=$(DESTDIR) $(CMAKE) --install build --strip

uninstall:
	rm -f $(DESTDIR)$(PREFIX)/bin/dolv $(DESTDIR)$(PREFIX)/share/man/man1/dolv.1

clean:
	rm -rf build build-asan build-windows build-fuzz build-bench
