# Front door over the CMake presets. `make demo` and `make test` are the two commands to know.
# Each target installs the Debian packages it needs first (scripts/install-deps GROUP...);
# SKIP_DEPS=1 skips that, for systems where they were installed another way.
JOBS ?= $(shell nproc)
PRESET ?= default
BUILD_DIR = $(if $(filter default,$(PRESET)),build,build-$(PRESET))
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)

# Without a display the show is rendered to a video: the capture tool and ffmpeg instead.
HEADLESS := $(if $(DISPLAY)$(WAYLAND_DISPLAY),,yes)
DEMO_GROUPS = demo $(if $(HEADLESS),capture)
DEMO_TARGETS = vellomire content-data $(if $(HEADLESS),vellomire-capture)

deps = $(if $(SKIP_DEPS),,scripts/install-deps $(1))
# Each target says whether the tests and benchmarks are part of its build, so none needs a
# package its own install-deps group leaves out; CMAKE_ARGS come last and win.
configure = cmake --preset $(PRESET) $(1) $(CMAKE_ARGS) >/dev/null
SHOW_ONLY = -DVELLOMIRE_TESTS=OFF -DVELLOMIRE_BENCH=OFF
build = cmake --build --preset $(PRESET) -j $(JOBS) $(1)

.PHONY: all deps configure build test test-asan demo bench capture fuzz web test-web install \
	format check-format clean

all: build

deps:
	@$(call deps,)

configure:
	@$(call configure,)

build: configure
	@$(call build,)

# Only what the show needs: the player, the content generator and its Data folder (and the
# capture tool where there is no display).
demo:
	@$(call deps,$(DEMO_GROUPS))
	@$(call configure,$(SHOW_ONLY))
	@$(call build,--target $(DEMO_TARGETS))
	@scripts/play-demo $(BUILD_DIR)

test:
	@$(call deps,test)
	@$(call configure,-DVELLOMIRE_TESTS=ON -DVELLOMIRE_BENCH=OFF)
	@$(call build,)
	@ctest --preset $(PRESET) $(CTEST_FLAGS)

# The C and C++ files' layout, from .clang-format.
format:
	@$(call deps,style)
	@scripts/check-format --fix

check-format:
	@$(call deps,style)
	@scripts/check-format

test-asan:
	@$(MAKE) --no-print-directory test PRESET=asan

bench:
	@$(call deps,bench)
	@$(call configure,-DVELLOMIRE_TESTS=OFF -DVELLOMIRE_BENCH=ON)
	@$(call build,--target vellomire-benchmarks)
	@scripts/run-benchmarks $(BUILD_DIR)

capture:
	@$(call deps,capture)
	@$(call configure,$(SHOW_ONLY))
	@$(call build,--target vellomire-capture content-data)
	@$(BUILD_DIR)/tools/capture/vellomire-capture --video $(BUILD_DIR)/vellomire.mp4

# Builds only the fuzz targets (clang, sanitizers), then runs each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 30
fuzz:
	@$(call deps,fuzz)
	@$(MAKE) --no-print-directory configure PRESET=fuzz
	@cmake --build --preset fuzz -j $(JOBS) --target vellomire-fuzzers
	@scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

# The browser build (Emscripten): build-web/site is a folder any static file server can serve,
# with the page, the program's WebAssembly and JavaScript and the Data folder the native content
# generator writes. The decoders' libraries are compiled for WebAssembly from Debian's sources.
WEB_DIR = build-web
WEB_ENV = NODE_PATH=/usr/share/nodejs
web:
	@$(call deps,demo web)
	@$(call configure,$(SHOW_ONLY))
	@$(call build,--target content-data)
	@scripts/fetch-web-sources $(WEB_DIR)/sources
	@$(WEB_ENV) emcmake cmake -S . -B $(WEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DVELLOMIRE_WEB_DATA=$(CURDIR)/$(BUILD_DIR)/Data \
		-DVELLOMIRE_WEB_SOURCES=$(CURDIR)/$(WEB_DIR)/sources $(CMAKE_ARGS) >/dev/null
	@$(WEB_ENV) cmake --build $(WEB_DIR) -j $(JOBS)
	@echo "make web: the show is in $(WEB_DIR)/site; make serve-web serves it"

# The site on http://localhost:$(WEB_PORT)/ with its compressed copies and cache headers.
WEB_PORT ?= 8000
.PHONY: serve-web
serve-web: web
	@node web/site/serve-site.js $(WEB_DIR)/site $(WEB_PORT)

# The show in headless Chromium and in Firefox ESR: the page (checks, downloads, delivery),
# frames on the virtual clock against the native capture tool's, and real-clock runs (the whole
# show, Escape, touch, a lost WebGL context, a hidden tab; Firefox: the whole show, Escape).
test-web: web
	@$(call build,--target vellomire-capture)
	@cd tests/web && node --test

# Installs the programs, the content, the desktop entry, icon, metadata and manual pages
# under PREFIX (DESTDIR=... stages them for a package).
PREFIX ?= /usr/local
install:
	@$(call deps,install)
	@$(call configure,$(SHOW_ONLY))
	@$(call build,)
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf build build-debug build-asan build-fuzz $(WEB_DIR)
