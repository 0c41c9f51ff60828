# The project's entry points: `make test` (build every target, run every test natively
# and under Wine), `make demo` (build and run a real job against the plug-in stand-in) and
# `make bench` (the speed and memory figures beside their anchors, one table; never part of
# `make test`).
# Missing Debian packages are installed when running as root with apt-get; otherwise they
# are named and the build stops.

PACKAGES := cmake ninja-build g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev \
            libsimpleini-dev libicu-dev \
            g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
            binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 qpdf \
            clang libclang-rt-14-dev valgrind gcovr clang-format python3
# 32-bit Wine runs the program Windows users get (the win32 build) under WOW64 in a 64-bit
# prefix. It needs Debian's i386 architecture; where that cannot be had, the x86 suites are
# reported as a target not run, with the reason, never as passed.
I386_PACKAGES := wine32:i386
WINE32_UNAVAILABLE := build/wine32-unavailable
PRESETS := native native-release win32 win64 fuzz
FUZZ_SECONDS ?= 600
JOBS ?= $(shell nproc)
# Runs that start Acrobat.exe or look processes up by name take this machine-wide lock.
ACROBAT_LOCK ?= /tmp/ovs-acrobat.lock

.PHONY: all deps deps-i386 build test test-format test-native test-wine test-wine32 test-fuzz fuzz memcheck coverage demo bench clean
.PHONY: demo-deps dist dist-deps dist-check

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ] && command -v apt-get >/dev/null; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null || exit 1; \
	  else \
	    echo "Missing Debian packages:$$missing"; echo "Install them (as root: apt-get install$$missing) and run make again."; exit 1; \
	  fi; \
	fi

# wine32:i386, after the i386 architecture is added. A failure to get it is recorded for
# test-wine32 to report; it does not stop the build.
deps-i386:
	@mkdir -p build; rm -f $(WINE32_UNAVAILABLE); \
	missing=""; \
	for p in $(I386_PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ] && command -v apt-get >/dev/null; then \
	    echo "Installing (i386):$$missing"; \
	    { dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386; } && \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null 2>build/apt-i386.log || \
	      { echo "the i386 packages$$missing could not be installed: $$(tail -n 1 build/apt-i386.log 2>/dev/null)" >$(WINE32_UNAVAILABLE); \
	        cat $(WINE32_UNAVAILABLE); }; \
	  else \
	    echo "Missing Debian packages:$$missing"; \
	    echo "Install them (as root: dpkg --add-architecture i386 && apt-get update && apt-get install$$missing) and run make again."; \
	    exit 1; \
	  fi; \
	fi

build: deps deps-i386
	@for p in $(PRESETS); do \
	  echo "=== build $$p"; \
	  cmake --preset $$p >/dev/null || exit 1; \
	  cmake --build --preset $$p -j $(JOBS) || exit 1; \
	done

test: build
	@rc=0; \
	$(MAKE) --no-print-directory test-format || rc=1; \
	$(MAKE) --no-print-directory test-native || rc=1; \
	$(MAKE) --no-print-directory test-wine || rc=1; \
	$(MAKE) --no-print-directory test-wine32 || rc=1; \
	$(MAKE) --no-print-directory test-fuzz || rc=1; \
	python3 tools/test-summary.py build || rc=1; \
	exit $$rc

# The layout .clang-format gives (clang-format 14, as Debian 12 has it), and includes that
# point down the floors only (tools/floors.py).
test-format:
	@echo "=== format check"
	@rc=0; sh tools/format.sh --check || rc=1; python3 tools/floors.py || rc=1; exit $$rc

# The test runs start Acrobat.exe and look processes up by name: one machine-wide at a time.
# The hundreds of runs at once use the release tool (the sanitizer build's runs would need some
# 9 GB): it is brought up to date from these sources first, and the test fails rather than
# skips when it is told where the release tool is and does not find it.
test-native:
	@echo "=== native tests"
	@cmake --build --preset native-release -j $(JOBS) --target FraskPdfCmd Acrobat >/dev/null
	@rm -f build/native/ctest-junit.xml
	@OVS_RELEASE_BIN_DIR=$(CURDIR)/build/native-release/bin \
	  flock -o $(ACROBAT_LOCK) ctest --preset native --output-junit $(CURDIR)/build/native/ctest-junit.xml

# The prefix's wineserver outlives the tests and would hold their output open: end it.
test-wine:
	@echo "=== Windows x64 tests under Wine"
	@rm -rf build/win64/test-results; mkdir -p build/win64/test-results
	@rc=0; flock -o $(ACROBAT_LOCK) ctest --preset win64 --output-junit $(CURDIR)/build/win64/test-results/ctest-junit.xml || rc=$$?; \
	WINEPREFIX=$(CURDIR)/build/win64/wineprefix wineserver -k 2>/dev/null; \
	exit $$rc

# The program users run: the win32 build under WOW64, in a 64-bit prefix of its own. Where
# 32-bit programs cannot run here, the reason goes to test-results/NOT-RUN for the summary.
test-wine32:
	@echo "=== Windows x86 tests under WOW64 Wine"
	@rm -rf build/win32/test-results; mkdir -p build/win32/test-results
	@if ! reason=$$(sh tools/wow64-probe.sh $(WINE32_UNAVAILABLE)); then \
	  echo "not run: $$reason"; echo "$$reason" >build/win32/test-results/NOT-RUN; exit 0; \
	fi; \
	rc=0; flock -o $(ACROBAT_LOCK) ctest --preset win32 --output-junit $(CURDIR)/build/win32/test-results/ctest-junit.xml || rc=$$?; \
	WINEPREFIX=$(CURDIR)/build/win32/wineprefix wineserver -k 2>/dev/null; \
	exit $$rc

# A few seconds per fuzz target, after replaying the inputs of past crashes.
test-fuzz:
	@echo "=== fuzz targets (smoke run)"
	@sh tools/fuzz.sh smoke 4

fuzz: build
	@sh tools/fuzz.sh campaign $(FUZZ_SECONDS)

memcheck: build
	@sh tools/memcheck.sh

# Line and branch coverage of the framework, the tool, the inspector and the helper programs
# by the native suites (build/coverage; gcovr). CTest runs them in the zone with daylight time it
# gives them, under the machine-wide lock as they look Acrobat up by name; the runs at once skip
# here, as they need the release tool (test-native). The summary lands in build/coverage/coverage.txt.
coverage: deps
	@cmake --preset coverage >/dev/null
	@cmake --build --preset coverage -j $(JOBS)
	@find build/coverage -name '*.gcda' -delete
	@rc=0; flock -o $(ACROBAT_LOCK) ctest --preset coverage >build/coverage/ctest.log 2>&1 || \
	  { echo "coverage tests failed (build/coverage/ctest.log)"; rc=1; }; \
	gcovr --root . --gcov-ignore-parse-errors --filter 'app/' --filter 'framework/' --filter 'inspector/' \
	  --filter 'tools/' --exclude-unreachable-branches --exclude-throw-branches --print-summary \
	  -o build/coverage/coverage.txt build/coverage | tail -3; \
	exit $$rc

# --- make demo: only what one job needs -------------------------------------------------
# The compiler, CMake, Ninja and qpdf; the native release build of the tool, the inspector and
# the plug-in stand-in, without tests (no GoogleTest, no Wine, no MinGW).
DEMO_PACKAGES := cmake ninja-build g++ make qpdf
DEMO_TARGETS := FraskPdfCmd FraskPdfTasks Acrobat

demo-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DEMO_PACKAGES)"

demo: demo-deps
	@echo "=== build native-release ($(DEMO_TARGETS))"
	@cmake --preset native-release -DOVS_BUILD_TESTS=OFF >/dev/null
	@cmake --build --preset native-release -j $(JOBS) --target $(DEMO_TARGETS)
	@sh tools/demo.sh

# --- make dist: the release archives ----------------------------------------------------
# dist/FraskPdfCmd-<version>-win32.zip and dist/FraskPdfCmd-<version>-linux-x86_64.tar.gz with
# their .sha256 files, the same bytes on every build of one commit. make dist-check builds
# twice from fresh clones in two folders and compares.
DIST_PACKAGES := cmake ninja-build g++ make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 zip
# make dist-check also unpacks the archives and runs them (the Windows ones under Wine, the stand-in
# with qpdf), and builds the Windows stand-in.
DIST_CHECK_PACKAGES := $(DIST_PACKAGES) unzip qpdf wine wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64

dist-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DIST_PACKAGES)"

dist: dist-deps
	@JOBS=$(JOBS) sh tools/dist/make-dist.sh

dist-check:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DIST_CHECK_PACKAGES)"
	@JOBS=$(JOBS) sh tools/dist/dist-check.sh

# --- make bench: speed and memory beside their anchors (never part of make test) ---------
BENCH_PACKAGES := hyperfine time

bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	@bash bench/run.sh

clean:
	rm -rf build
