# Front door over the CMake presets. `make demo` and `make test` are the two commands to know.
JOBS ?= $(shell nproc)
PRESET ?= default
BUILD_DIR = $(if $(filter default,$(PRESET)),build,build-$(PRESET))
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)

.PHONY: all deps configure build test test-asan demo bench capture fuzz clean

all: build

deps:
	@scripts/install-deps

configure:
	@cmake --preset $(PRESET) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

test: deps
	@$(MAKE) --no-print-directory build
	@ctest --preset $(PRESET) $(CTEST_FLAGS)

test-asan: deps
	@$(MAKE) --no-print-directory test PRESET=asan

demo: deps build
	@scripts/play-demo $(BUILD_DIR)

bench: deps build
	@scripts/run-benchmarks $(BUILD_DIR)

capture: deps build
	@$(BUILD_DIR)/tools/capture/vellomire-capture --video $(BUILD_DIR)/vellomire.mp4

# Builds only the fuzz targets (clang, sanitizers), then runs each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 30
fuzz: deps
	@$(MAKE) --no-print-directory configure PRESET=fuzz
	@cmake --build --preset fuzz -j $(JOBS) --target vellomire-fuzzers
	@scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-debug build-asan build-fuzz
