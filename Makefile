# Two commands for a new user: `make run` and `make test`. `make bench` runs the benchmarks.
# `make test-sanitize` runs every test built with AddressSanitizer and UndefinedBehaviorSanitizer;
# `make fuzz` runs each fuzz target for FUZZ_SECONDS (both build in $(SANITIZE_BUILD)).
# `make install PREFIX=DIR` lays out the program in one folder (see the end of CMakeLists.txt).
BUILD ?= build
JOBS ?= 2
PREFIX ?= $(HOME)/vellumark
SANITIZE_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 180
# clang when there is one (its libFuzzer builds the fuzz targets there), else g++.
SANITIZE_CXX ?= $(shell command -v clang++ >/dev/null 2>&1 && echo clang++ || echo g++)
SANITIZE_CC ?= $(shell command -v clang >/dev/null 2>&1 && echo clang || echo gcc)
# A finding (a leak included) fails the program that made it, and so the test.
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0

.PHONY: all deps configure build run test bench install clean sanitize-build test-sanitize fuzz

all: build

deps:
	@scripts/install-deps

# After deps, also under make -j: configuring needs the packages in place.
$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/vellumark

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 \
	    ctest --output-on-failure -j$(JOBS) --timeout 300

$(SANITIZE_BUILD)/CMakeCache.txt: | deps
	CC=$(SANITIZE_CC) CXX=$(SANITIZE_CXX) cmake -S . -B $(SANITIZE_BUILD) \
	    -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_SANITIZE=ON

sanitize-build: deps $(SANITIZE_BUILD)/CMakeCache.txt
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)

test-sanitize: sanitize-build
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 \
	    ctest --output-on-failure -j$(JOBS) --timeout 900

fuzz: sanitize-build
	$(SANITIZE_ENV) fuzz/run $(SANITIZE_BUILD) $(FUZZ_SECONDS)

bench: build
	bench/run $(BUILD)

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
