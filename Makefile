# Front door: every target installs what it needs, configures and builds first.
#   make demo            drive the gallery application headless (offscreen)
#   make demo VISIBLE=1  the same in real windows on your desktop
#   make test            all unit and end-to-end tests (offscreen; again under Xvfb when present)
#   make bench           speed and memory benchmarks
#   make stress          the end-to-end tests under Xvfb beside busy loops, STRESS_RUNS times
#   make test SANITIZE=address,undefined
#                        the same tests built with sanitizers, in build-sanitize
#   make fuzz            feed fuzzed request bytes to the agent for FUZZ_SECONDS (clang)
#   make test QT=6       any of build, test, demo, bench, stress against Qt 6 instead of Qt 5,
#                        in build-qt6 (build-sanitize-qt6 with SANITIZE); installs Qt 6 first
#   make install PREFIX=/opt/testclient [DESTDIR=...]
#                        the built tree installed (relocatable; QT=6 adds the Qt 6 agent)
#   make deb             Debian packages of the Qt 5 and Qt 6 builds, in build-deb/
#   make test-installed  the packages installed with apt-get and tested without the checkout
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
FUZZ_SECONDS ?= 60
STRESS_RUNS ?= 20
PREFIX ?= /usr/local
DEB_DIR ?= build-deb

# QT=6 builds against Qt 6 in folders of its own; without QT (or with QT=5) nothing changes.
ifeq ($(QT),6)
QT_SUFFIX := -qt6
DEPS_FOR := qt6
CMAKE_FLAGS += -DTESTCLIENT_QT_MAJOR=6
else ifneq ($(filter-out 5,$(QT)),)
$(error QT must be 5 or 6, not '$(QT)')
endif

ifneq ($(SANITIZE),)
BUILD ?= build-sanitize$(QT_SUFFIX)
CMAKE_FLAGS += -DTESTCLIENT_SANITIZE=$(SANITIZE) -DTESTCLIENT_BENCH=OFF
# Leaks that Qt itself leaves at exit are listed in the suppression file; ours are not.
export ASAN_OPTIONS ?= detect_leaks=1:strict_init_order=1
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/tests/sanitizers/lsan-qt.supp:print_suppressions=0
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
# No window of the tests uses OpenGL; without the GL integration Mesa stays unloaded.
export QT_XCB_GL_INTEGRATION ?= none
endif
BUILD ?= build$(QT_SUFFIX)

ifeq ($(VISIBLE),)
export QT_QPA_PLATFORM ?= offscreen
endif

.PHONY: all deps configure build test demo bench stress fuzz format clean install deb test-installed
all: build

deps:
	@scripts/install-deps.sh $(DEPS_FOR)

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@if command -v xvfb-run >/dev/null 2>&1; then \
	    echo "== end-to-end tests again on a real X server (Xvfb)"; \
	    cd $(BUILD) && QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" \
	        ctest --output-on-failure -L e2e; \
	fi

demo: build
	@scripts/demo.sh $(BUILD)

bench: build
	@scripts/bench.sh $(BUILD)

stress: build
	@scripts/stress.sh $(BUILD) $(STRESS_RUNS)

fuzz:
	@scripts/install-deps.sh fuzz
	@scripts/fuzz.sh $(FUZZ_SECONDS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The packages come from the plain builds, whatever QT or SANITIZE say.
deb:
	@scripts/install-deps.sh deb qt6
	@$(MAKE) --no-print-directory build QT=5 SANITIZE=
	@$(MAKE) --no-print-directory build QT=6 SANITIZE=
	@scripts/make-deb.sh build build-qt6 $(DEB_DIR)

test-installed: deb
	@scripts/test-installed.sh $(DEB_DIR)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
