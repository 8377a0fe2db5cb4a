# Vellumark front door. `make run` and `make test` do all the set-up on a
# fresh Debian 12 machine.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
FUZZ_SECONDS ?= 30
# WERROR=ON turns compiler warnings into errors (CI builds so).
WERROR ?= OFF

DEB_PACKAGES := cmake g++ make pkg-config qt6-base-dev libgl1-mesa-dev libgtest-dev libgmock-dev \
                libbenchmark-dev nlohmann-json3-dev clang-14 libclang-rt-14-dev libgettextpo-dev gettext libpcre2-dev \
                help2man dpkg-dev file lintian appstream desktop-file-utils man-db bash-completion \
                xvfb xauth xdotool graphviz fonts-freefont-ttf fonts-unifont
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run package test test-plain test-asan test-package fuzz bench clean

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd "$(CURDIR)" && $(BUILD)/vellumark

# The Debian package of the Release tree: $(BUILD)/vellumark_VERSION_ARCH.deb.
package: build
	cd $(BUILD) && cpack -G DEB

# Validates the package, installs it with apt-get, runs the installed programs
# and removes it again.
test-package: package
	SUDO="$(SUDO)" tests/package/check_package.sh $(BUILD)

test-plain: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELLUMARK_SANITIZE=ON -DVELLUMARK_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVELLUMARK_FUZZ=ON -DVELLUMARK_GUI=OFF -DVELLUMARK_WERROR=$(WERROR)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Each fuzz target runs for FUZZ_SECONDS; any crash, leak, UB or round-trip
# difference fails.
fuzz: fuzz-build
	tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The sanitizer run, the fuzzers and the package first, so that the plain
# run's CTest summary closes the output. The package is made from the same
# Release tree that the plain run tests.
test: deps
	$(MAKE) --no-print-directory test-asan
	@if [ -f tests/fuzz/CMakeLists.txt ]; then $(MAKE) --no-print-directory fuzz; fi
	$(MAKE) --no-print-directory test-package
	$(MAKE) --no-print-directory test-plain

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_BENCH=ON -DVELLUMARK_TESTS=OFF \
	  -DVELLUMARK_WERROR=$(WERROR)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen bench/run_benchmarks.sh $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
