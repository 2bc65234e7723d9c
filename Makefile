# Verdalo: `make run` to fly, `make test` to check everything.
# Both install what is missing first: run-deps what the program needs, deps
# the test tools as well (tools/install-deps.sh).

JOBS ?= $(shell nproc)
BUILD := build
# CMake's own make calls nest inside this one: no "Entering directory" lines.
MAKEFLAGS += --no-print-directory

# The builds make test checks, in order. Each NAME has NAME_DIR, its folder;
# NAME_FLAGS, how it is configured; and may have NAME_CTEST (what its ctest
# selects), NAME_ENV (the environment ctest runs in) and NAME_NEEDS (steps
# before it is configured). Every build is configured, built and run by CTest
# the same way: one rule, test-NAME. Adding a build is adding its lines here.
TESTS := native web sanitizers windows

# The program, its tests, the bench's short run and the end-to-end tests.
# The tests and the bench are there once their packages are (make deps), so
# make run, make bench and make test all configure this folder alike.
native_DIR := $(BUILD)
native_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The page built with emscripten, its unit tests under node, and the page in
# headless Chromium, its frames compared with the desktop program's
# (build/verdalo_frames, from the native build).
web_DIR := build-web
web_FLAGS = -DCMAKE_TOOLCHAIN_FILE=$(EMSCRIPTEN_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
web_NEEDS := web-deps
# Debian's emscripten, or an emsdk's whose emcc is on the PATH.
EMSCRIPTEN_TOOLCHAIN = $(firstword $(wildcard /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
  $(dir $(realpath $(shell command -v emcc 2>/dev/null)))cmake/Modules/Platform/Emscripten.cmake))

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# with clang, and the TGA loader's fuzzer for 30 seconds (make fuzz: ten minutes).
sanitizers_DIR := build-asan
sanitizers_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVERDALO_SANITIZE=ON -DVERDALO_FUZZ=ON -DBUILD_TESTING=ON
sanitizers_CTEST := -L 'unit|fuzz'
sanitizers_ENV := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

# verdalo.exe and the unit tests for 64-bit Windows, cross-built with
# mingw-w64 and run under Wine (freeglut and GoogleTest built for Windows on
# the first run into build-windows/deps, then reused).
windows_DIR := build-windows
windows_FLAGS := -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH=$(CURDIR)/build-windows/deps -DBUILD_TESTING=ON
windows_NEEDS := windows-deps host-tools

.PHONY: run-deps deps host-tools build run test $(TESTS:%=test-%) $(TESTS:%=configure-%) windows-deps windows \
  web-deps web serve-web bench-web install uninstall package package-windows fuzz trees tour bench clean

run-deps:
	@tools/install-deps.sh

deps:
	@tools/install-deps.sh test

# configure-NAME: the build's folder configured as its lines say.
.SECONDEXPANSION:
$(TESTS:%=configure-%): configure-%: $$($$*_NEEDS)
	@cmake -S . -B $($*_DIR) $($*_FLAGS) >/dev/null

# test-NAME: configure, build, then ctest under a private Xvfb.
$(TESTS:%=test-%): test-%: deps configure-%
	@cmake --build $($*_DIR) -j $(JOBS)
	$($*_ENV) tools/with-xvfb.sh ctest --test-dir $($*_DIR) --output-on-failure -j $(JOBS) $($*_CTEST)

ifeq ($(shell uname -s),Linux)
test: $(TESTS:%=test-%)
else
test:
	$(error make test needs Linux: its tests preload a clock shim into the program and run it under Xvfb)
endif

# Only the program: compiler warnings and errors are shown, progress is not.
build: run-deps configure-native
	@echo "building $(BUILD)/verdalo"
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo >/dev/null

# macOS has no X display to look for; elsewhere xdpyinfo tells.
HAVE_DISPLAY = $(shell [ "$$(uname -s)" = Darwin ] || xdpyinfo >/dev/null 2>&1 && echo yes)

# Escape ends the program with status 1 and closing its window with 0: both
# are a normal end of the flight.
run: build
	$(if $(HAVE_DISPLAY),,$(error no X display found (DISPLAY='$(DISPLAY)'): make run needs a desktop session))
	@cd assets && $(abspath $(BUILD))/verdalo; status=$$?; [ $$status -le 1 ] || exit $$status

# The fuzzer alone, for ten minutes; new inputs go to build-asan/tests/image/fuzz-corpus.
fuzz: deps configure-sanitizers
	@cmake --build $(sanitizers_DIR) -j $(JOBS) --target fuzz_tga
	VERDALO_FUZZ_SECONDS=600 ctest --test-dir $(sanitizers_DIR) -R '^fuzz_tga$$' --output-on-failure

# Redraws assets/tree1.tga and assets/tree2.tga, and the icon made from the
# first; commit them with the generator.
trees: run-deps configure-native
	@cmake --build $(BUILD) -j $(JOBS) --target make_trees make_icon >/dev/null
	$(BUILD)/make_trees assets
	$(BUILD)/make_icon assets/tree1.tga package/verdalo.png

# A scripted flight under a private Xvfb, one screenshot per step in build/tour.
# A step with no name acts without a picture.
TOUR := 01-start= 02-turn-right=d*6 03-look-down=f*6 04-wireframe=click:1 =click:1 \
  05-walk-in=w*15 06-turn-across=d*20 07-billboards-off=click:3 =click:3 08-rise=space*6 \
  09-zoom-out=z*10 10-zoom-in=x*20 =z*10 11-new-world=F5
TOUR_OUT := $(BUILD)/tour
tour: deps configure-native
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo_frames >/dev/null
	tools/with-xvfb.sh $(BUILD)/verdalo_frames 1700000000 $(TOUR_OUT) $(TOUR)

# Each figure timed back to back with its floor, in one table (about a minute).
bench: deps configure-native
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo_bench >/dev/null
	tools/with-xvfb.sh $(BUILD)/bench/verdalo_bench

# What the Windows cross build needs: packages, and freeglut and GoogleTest built for Windows.
windows-deps:
	@tools/install-windows-deps.sh $(windows_DIR)
	@tools/build-windows-deps.sh $(windows_DIR) $(JOBS)

# verdalo.exe for 64-bit Windows.
windows: configure-windows
	@cmake --build $(windows_DIR) -j $(JOBS) --target verdalo

# build-windows/verdalo-VERSION-win64.zip: verdalo.exe, its images and a note.
package-windows: windows
	cd $(windows_DIR) && cpack -G ZIP

# The program, its tree images, menu entry, icon, manual page and docs, into
# PREFIX (cmake --install). What it wrote is kept in $(BUILD)/installed.txt,
# apart from CMake's own list, which every install rewrites (the tests' too);
# uninstall removes those files, and the program's own folders once empty.
PREFIX ?= /usr/local
INSTALLED := $(BUILD)/installed.txt
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	@cp $(BUILD)/install_manifest.txt $(INSTALLED)

uninstall:
	@[ -f $(INSTALLED) ] || { echo "nothing installed from $(BUILD)" >&2; exit 1; }
	xargs -d '\n' rm -f <$(INSTALLED)
	@grep -E '/verdalo/[^/]+$$' $(INSTALLED) | xargs -d '\n' -n1 dirname | sort -u | \
	  xargs -d '\n' rmdir --ignore-fail-on-non-empty
	@rm $(INSTALLED)

# build-package/verdalo_VERSION_ARCH.deb and verdalo-VERSION-Linux.tar.gz.
PACKAGE_BUILD := build-package
package:
	@tools/install-deps.sh package
	cmake -DBUILD=$(PACKAGE_BUILD) -DJOBS=$(JOBS) -P cmake/package.cmake

# What the browser build and its checks need: emscripten, node, Chromium and
# puppeteer-core; and the host tools its checks run.
web-deps: host-tools
	@tools/install-web-deps.sh test

# What the browser's and the Windows checks run on this side, from the desktop
# build: the frames the page's are compared with, and the pixel census.
host-tools: deps configure-native
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo_frames verdalo_census >/dev/null

# The page in build-web/ (index.html, verdalo.js, .wasm, .data), built with
# emscripten from the same CMakeLists.txt.
web:
	@tools/install-web-deps.sh
	@cmake -S . -B $(web_DIR) $(web_FLAGS) >/dev/null
	@echo "building $(web_DIR)/index.html"
	@cmake --build $(web_DIR) -j $(JOBS) --target verdalo >/dev/null

# Serves the page on 127.0.0.1 only, on a free port, and prints the address.
serve-web: web
	@node tools/serve-web.mjs $(web_DIR)

# The browser's figures: a frame against its floor in the page, and the page's
# load to its first frame.
bench-web:
	@tools/install-web-deps.sh test
	@cmake -S . -B $(web_DIR) $(web_FLAGS) -DVERDALO_BENCH=ON >/dev/null
	@cmake --build $(web_DIR) -j $(JOBS) --target verdalo verdalo_web_bench >/dev/null
	VERDALO_WEB_BUILD=$(abspath $(web_DIR)) node bench/web_bench.mjs

clean:
	rm -rf $(foreach t,$(TESTS),$($(t)_DIR)) $(PACKAGE_BUILD) build-fuzz
