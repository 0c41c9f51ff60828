# The project's two entry points: `make test` (build every target, run every test natively
# and under Wine) and `make demo` (build and run a real job against the plug-in stand-in).
# Missing Debian packages are installed when running as root with apt-get; otherwise they
# are named and the build stops.

PACKAGES := cmake ninja-build g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev \
            g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
            binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 qpdf \
            clang libclang-rt-14-dev valgrind gcovr
PRESETS := native native-release win32 win64 fuzz
FUZZ_SECONDS ?= 600
JOBS ?= $(shell nproc)
# Runs that start Acrobat.exe or look processes up by name take this machine-wide lock.
ACROBAT_LOCK ?= $(if $(wildcard /work/acrobat.lock),/work/acrobat.lock,$(CURDIR)/build/acrobat.lock)

.PHONY: all deps build test test-native test-wine test-fuzz fuzz memcheck coverage demo clean

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

build: deps
	@for p in $(PRESETS); do \
	  echo "=== build $$p"; \
	  cmake --preset $$p >/dev/null || exit 1; \
	  cmake --build --preset $$p -j $(JOBS) || exit 1; \
	done

test: build
	@rc=0; \
	$(MAKE) --no-print-directory test-native || rc=1; \
	$(MAKE) --no-print-directory test-wine || rc=1; \
	$(MAKE) --no-print-directory test-fuzz || rc=1; \
	sh tools/test-summary.sh build; \
	exit $$rc

test-native:
	@echo "=== native tests"
	@ctest --preset native --output-junit $(CURDIR)/build/native/ctest-junit.xml

# The prefix's wineserver outlives the tests and would hold their output open: end it.
test-wine:
	@echo "=== Windows x64 tests under Wine"
	@rm -rf build/win64/test-results; mkdir -p build/win64/test-results
	@rc=0; ctest --preset win64 || rc=$$?; \
	WINEPREFIX=$(CURDIR)/build/win64/wineprefix wineserver -k 2>/dev/null; \
	exit $$rc

# A few seconds per fuzz target, after replaying the inputs of past crashes.
test-fuzz:
	@echo "=== fuzz targets (smoke run)"
	@sh tools/fuzz.sh smoke 4

fuzz: build
	@sh tools/fuzz.sh campaign $(FUZZ_SECONDS)

memcheck: build
	@sh tools/memcheck.sh

# Line and branch coverage of the framework, the tool and the helper programs by the four
# native suites (build/coverage; gcovr). The suites that look Acrobat up by name run under
# the machine-wide lock. The summary lands in build/coverage/coverage.txt.
coverage: deps
	@cmake --preset coverage >/dev/null
	@cmake --build --preset coverage -j $(JOBS)
	@find build/coverage -name '*.gcda' -delete
	@rc=0; for s in platform framework app e2e; do \
	  flock $(ACROBAT_LOCK) build/coverage/bin/$${s}_tests --gtest_brief=1 >build/coverage/$$s.log 2>&1 || \
	    { echo "$$s tests failed (build/coverage/$$s.log)"; rc=1; }; \
	done; \
	gcovr --root . --filter 'app/' --filter 'framework/' --filter 'tools/' --exclude-unreachable-branches \
	  --exclude-throw-branches --print-summary -o build/coverage/coverage.txt build/coverage | tail -3; \
	exit $$rc

demo: build
	@sh tools/demo.sh

clean:
	rm -rf build
