# Verdalo: `make run` to fly, `make test` to check everything.
# Both install what is missing first (Debian packages via apt-get).

JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build run test test-main test-asan test-fuzz fuzz trees clean tour

WINDOWS_BUILD := build-windows

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if ! xdpyinfo >/dev/null 2>&1; then \
	  echo "make run: no X display found (DISPLAY='$$DISPLAY'); start it from a desktop session" >&2; \
	  exit 1; \
	fi
	cd assets && exec ../$(BUILD)/verdalo

test: test-main test-asan test-fuzz test-windows

test-main: build
	tools/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The unit tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVERDALO_SANITIZE=ON >/dev/null
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

# Redraws assets/tree1.tga and assets/tree2.tga; commit them with the generator.
trees: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target make_trees
	$(BUILD)/make_trees assets

# A scripted flight under a private Xvfb, one screenshot per step in build/tour.
tour: build
	tools/tour.sh $(BUILD)/tour

# Every figure timed back to back with its floor, then one table (a few minutes).
.PHONY: bench
bench: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target verdalo_bench
	tools/with-xvfb.sh $(BUILD)/bench/verdalo_bench

# verdalo.exe for 64-bit Windows, cross-built with mingw-w64 (freeglut built from
# Debian's source package on the first run, then reused).
.PHONY: windows test-windows
windows:
	@tools/install-windows-deps.sh $(WINDOWS_BUILD)
	@tools/build-windows.sh $(WINDOWS_BUILD) $(JOBS)

# verdalo.exe and the unit tests built for Windows, run under Wine in a private Xvfb.
test-windows: windows
	tools/with-xvfb.sh tests/windows/run.sh $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD)
