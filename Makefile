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
TESTS := native sanitizers windows

# The program, its tests, the bench's short run and the end-to-end tests.
# The tests and the bench are there once their packages are (make deps), so
# make run, make bench and make test all configure this folder alike.
native_DIR := $(BUILD)
native_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo

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
windows_NEEDS := windows-deps

.PHONY: run-deps deps build run test $(TESTS:%=test-%) $(TESTS:%=configure-%) windows-deps windows \
  fuzz trees tour bench clean

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

# Redraws assets/tree1.tga and assets/tree2.tga; commit them with the generator.
trees: run-deps configure-native
	@cmake --build $(BUILD) -j $(JOBS) --target make_trees >/dev/null
	$(BUILD)/make_trees assets

# A scripted flight under a private Xvfb, one screenshot per step in build/tour.
tour: deps configure-native
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo_tour >/dev/null
	tools/with-xvfb.sh $(BUILD)/tests/e2e/verdalo_tour $(BUILD)/tour

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

clean:
	rm -rf $(foreach t,$(TESTS),$($(t)_DIR))
