# Two commands for a new user: `make run` and `make test`. `make bench` runs the benchmarks.
# `make install PREFIX=DIR` lays out the program in one folder (see the end of CMakeLists.txt).
BUILD ?= build
JOBS ?= 2
PREFIX ?= $(HOME)/vellumark

.PHONY: all deps configure build run test bench install clean

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

bench: build
	bench/run $(BUILD)

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

clean:
	rm -rf $(BUILD)
