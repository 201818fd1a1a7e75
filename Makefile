# Thin wrapper around CMake.
#   make demo    builds the program and shows it at work on a scratch folder
#   make check   builds and runs the in-process tests: the loop while you work
#   make test    every test: the gate that CI runs
# All three use the one build folder build/, configured the same way, so
# none of them rebuilds what another has built.
PREFIX ?= /usr/local
DESTDIR ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
# No "Entering directory" lines from the makes that CMake starts.
MAKEFLAGS += --no-print-directory
# Warnings are errors in every build (WERROR=OFF for a compiler that warns
# where the project's does not).
WERROR ?= ON
werror = -DDOLV_WERROR=$(WERROR)

# The end-to-end tests that also run against the sanitizer build's program:
# those that reach the program's memory-heavy paths (large folders, the
# journal, the exchange, the editor, the report file, a folding file system).
ASAN_E2E = Batch.*:Conflict.*:DriverE2E.*:Exchange.*:ExfatTest.*:Exfat.*:Ext4.*:Journal.*:UndoRandom.*:Preview.*:ReportFileE2E.*:Screen.*:TerminalRename.*:TerminalScreen.*

.PHONY: all build configure program check test test-format test-plain test-asan test-windows \
	test-fuzz demo install uninstall clean windows bench fuzz package format

all: build

configure:
	@$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(werror) >/dev/null

build: configure
	$(CMAKE) --build build -j $(JOBS)

# The program alone, quietly: its compiler output is shown only when the
# build fails.
program: configure
	@echo "Building build/dolv"
	@$(CMAKE) --build build -j $(JOBS) --target dolv >build/program.log 2>&1 || { cat build/program.log; exit 1; }

# The in-process tests (unit tests and the logic tables), in seconds.
check: configure
	@$(CMAKE) --build build -j $(JOBS) --target unit_tests logic_tests
	@build/tests/unit_tests --gtest_brief=1
	@build/tests/logic_tests --gtest_brief=1

test: test-format test-plain test-asan test-fuzz test-windows

# The sources as .clang-format lays them out, where clang-format is installed.
test-format:
	@sh tests/format_check.sh

# Every test of the main build but the Windows ones (test-windows runs those).
test-plain: build
	cd build && ctest --output-on-failure -j $(JOBS) -LE windows

# AddressSanitizer and UndefinedBehaviorSanitizer over the program, the
# in-process tests and the fuzz targets; the end-to-end tests of ASAN_E2E
# (from the main build) then run the sanitized program.
test-asan: build
	$(CMAKE) -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDOLV_SANITIZE=ON $(werror) >/dev/null
	$(CMAKE) --build build-asan -j $(JOBS) --target dolv unit_tests logic_tests fuzz_replay
	build-asan/tests/unit_tests --gtest_brief=1
	build-asan/tests/logic_tests --gtest_brief=1
	DOLV_TEST_EXE=$(CURDIR)/build-asan/dolv build/tests/e2e_tests --gtest_brief=1 --gtest_filter='$(ASAN_E2E)'

# The fuzz targets replay their corpora (tests/fuzz/corpus) under the
# sanitizers; `make fuzz` runs them for a while with libFuzzer.
test-fuzz: test-asan
	sh tests/fuzz/replay.sh build-asan/tests/fuzz

fuzz:
	sh tests/fuzz/run.sh 60

# The Windows build (mingw-w64) and its end-to-end tests under wine; the
# script skips with a notice when the cross compiler or wine is missing.
windows:
	$(CMAKE) -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli $(werror) >/dev/null
	$(CMAKE) --build build-windows -j $(JOBS)

test-windows: build
	WERROR=$(WERROR) sh tests/windows/run.sh

# Lays the sources out as .clang-format says.
format:
	@sh tests/format_check.sh --fix

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
