# Verdalo: `make run` to fly, `make test` to check everything.
# Both install what is missing first: run-deps what the program needs, deps
# the test tools as well (tools/install-deps.sh).

JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
WINDOWS_BUILD := build-windows
PACKAGE_BUILD := build-package
WEB_BUILD := build-web
BUILD_DIRS := $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(PACKAGE_BUILD) $(WEB_BUILD)
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The tests and the bench's short run, built into the same folder as the program.
TEST_FLAGS := -DBUILD_TESTING=ON -DVERDALO_BENCH=ON
# What make test runs, in order.
TEST_STEPS := test-main test-web test-asan test-fuzz test-windows
# CMake's own make calls nest inside this one: no "Entering directory" lines.
MAKEFLAGS += --no-print-directory

.PHONY: run-deps deps build run test test-main test-asan test-fuzz fuzz trees clean tour

run-deps:
	@tools/install-deps.sh

deps:
	@tools/install-deps.sh test

# Only the program: compiler warnings and errors are shown, progress is not.
build: run-deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@echo "building $(BUILD)/verdalo"
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo >/dev/null

# macOS has no X display to look for; elsewhere xdpyinfo tells.
HAVE_DISPLAY = $(shell [ "$$(uname -s)" = Darwin ] || xdpyinfo >/dev/null 2>&1 && echo yes)

# Escape ends the program with status 1 and closing its window with 0: both
# are a normal end of the flight.
run: build
	$(if $(HAVE_DISPLAY),,$(error no X display found (DISPLAY='$(DISPLAY)'): make run needs a desktop session))
	@cd assets && $(abspath $(BUILD))/verdalo; status=$$?; [ $$status -le 1 ] || exit $$status

ifeq ($(shell uname -s),Linux)
test: $(TEST_STEPS)
else
test:
	$(error make test needs Linux: its tests preload a clock shim into the program and run it under Xvfb)
endif

test-main: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) $(TEST_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	tools/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The unit tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVERDALO_SANITIZE=ON -DBUILD_TESTING=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  tools/with-xvfb.sh ctest --test-dir $(ASAN_BUILD) -L unit --output-on-failure -j $(JOBS)

# The TGA loader under libFuzzer with ASan and UBSan: any crash, leak or
# undefined behaviour fails. New inputs go to build-fuzz/corpus, findings to build-fuzz/.
FUZZ_RUN = mkdir -p $(FUZZ_BUILD)/corpus && $(FUZZ_BUILD)/fuzz_tga -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ \
	$(FUZZ_BUILD)/corpus tests/image/corpus

$(FUZZ_BUILD)/fuzz_tga: image/tga.cpp image/tga.h tests/image/fuzz_tga.cpp | deps
	@mkdir -p $(FUZZ_BUILD)
	clang++ -std=c++17 -g -O1 -Wall -Wextra -ffp-contract=off -fno-omit-frame-pointer \
	  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I. \
	  image/tga.cpp tests/image/fuzz_tga.cpp -lGL -o $@

test-fuzz: $(FUZZ_BUILD)/fuzz_tga
	$(FUZZ_RUN) -max_total_time=30

fuzz: $(FUZZ_BUILD)/fuzz_tga
	$(FUZZ_RUN) -max_total_time=600

# Redraws assets/tree1.tga and assets/tree2.tga, and the icon made from the
# first; commit them with the generator.
trees: run-deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target make_trees >/dev/null
	$(BUILD)/make_trees assets
	@cmake --build $(BUILD) -j $(JOBS) --target make_icon >/dev/null
	$(BUILD)/make_icon assets/tree1.tga package/verdalo.png

# A scripted flight under a private Xvfb, one screenshot per step in build/tour.
tour: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo fixedtime >/dev/null
	tools/tour.sh $(BUILD)/tour

# Each figure timed back to back with its floor, in one table (about a minute).
.PHONY: bench
bench: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DVERDALO_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo_bench >/dev/null
	tools/with-xvfb.sh $(BUILD)/bench/verdalo_bench

# verdalo.exe for 64-bit Windows, cross-built with mingw-w64 (freeglut built from
# Debian's source package on the first run, then reused).
.PHONY: windows test-windows
windows:
	@tools/install-windows-deps.sh $(WINDOWS_BUILD)
	@tools/build-windows.sh $(WINDOWS_BUILD) $(JOBS)

# verdalo.exe, the unit tests built for Windows and the zip, run under Wine in a private Xvfb.
test-windows: package-windows
	tools/with-xvfb.sh tests/windows/run.sh $(WINDOWS_BUILD)

# The program, its tree images, menu entry, icon, manual page and docs, into
# PREFIX (cmake --install). What it wrote is kept in $(BUILD)/installed.txt,
# apart from CMake's own list, which every install rewrites (the tests' too);
# uninstall removes those files, and the program's own folders once empty.
PREFIX ?= /usr/local
INSTALLED := $(BUILD)/installed.txt
.PHONY: install uninstall package package-windows
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
package:
	@tools/install-deps.sh package
	cmake -DBUILD=$(PACKAGE_BUILD) -DJOBS=$(JOBS) -P cmake/package.cmake

# build-windows/verdalo-VERSION-win64.zip: verdalo.exe, its images and a note.
package-windows: windows
	cd $(WINDOWS_BUILD) && cpack -G ZIP

clean:
	rm -rf $(BUILD_DIRS)

# The page in build-web/ (index.html, verdalo.js, .wasm, .data), built with
# emscripten from the same CMakeLists.txt.
.PHONY: web serve-web test-web
WEB_CONFIGURE = emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
web:
	@tools/install-web-deps.sh
	@$(WEB_CONFIGURE) -DBUILD_TESTING=OFF
	@echo "building $(WEB_BUILD)/index.html"
	@cmake --build $(WEB_BUILD) -j $(JOBS) --target verdalo >/dev/null

# The browser's figures: a frame against its floor in the page, and the page's
# load to its first frame.
.PHONY: bench-web
bench-web:
	@tools/install-web-deps.sh test
	@$(WEB_CONFIGURE) -DBUILD_TESTING=OFF -DVERDALO_BENCH=ON
	@cmake --build $(WEB_BUILD) -j $(JOBS) --target verdalo verdalo_web_bench >/dev/null
	VERDALO_WEB_BUILD=$(abspath $(WEB_BUILD)) node bench/web_bench.mjs

# Serves the page on 127.0.0.1 only, on a free port, and prints the address.
serve-web: web
	@node tools/serve-web.mjs $(WEB_BUILD)

# The unit tests under node and the page in headless Chromium, whose frames
# are compared with the desktop program's (build/native_frames).
test-web: deps
	@tools/install-web-deps.sh test
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) $(TEST_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target native_frames >/dev/null
	@$(WEB_CONFIGURE) -DBUILD_TESTING=ON
	@cmake --build $(WEB_BUILD) -j $(JOBS)
	tools/with-xvfb.sh ctest --test-dir $(WEB_BUILD) --output-on-failure -j $(JOBS)
