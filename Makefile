# The two front doors: `make run` plays a two-end game of the player against itself with the
# referee (progress per shot; the replay page, pictures of the house and the log in
# build/game/), `make test` builds and runs every test (a normal Release build, an
# AddressSanitizer + UndefinedBehaviorSanitizer build, a short run of every fuzz target and the
# search under ThreadSanitizer).
# Both install what is missing first. For a person: `make fuzz` runs the fuzz targets long,
# `make soak` plays a long session against one player process.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# The project's version, as CMakeLists.txt sets it.
VERSION := $(shell grep -m1 -o 'varrowmere VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
TSAN_BUILD := build-tsan
# Seconds per fuzz target: the short run of `make test` and the long one of `make fuzz`, and
# how many targets run at a time.
FUZZ_SMOKE_SECONDS ?= 30
FUZZ_SECONDS ?= 600
FUZZ_PARALLEL ?= 1
# With `make fuzz`: stop each target after this many executions instead (empty: by time only).
FUZZ_RUNS ?=
# Options of the soak tool (see build/varrowmere-soak --help).
SOAK_ARGS ?=
TSAN_ENV := TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1"

.PHONY: mutants all deps build build-asan build-fuzz build-tsan build-soak test test-release test-asan \
        test-fuzz test-tsan deps-windows windows test-windows check-i686 package print-version fuzz fuzz-merge soak run bench coverage clean

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVARROWMERE_WERROR=ON

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARROWMERE_SANITIZE=ON \
	      -DVARROWMERE_WERROR=ON -DVARROWMERE_BENCH=OFF

$(FUZZ_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DVARROWMERE_FUZZ=ON -DVARROWMERE_WERROR=ON -DVARROWMERE_BENCH=OFF

$(TSAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARROWMERE_TSAN=ON \
	      -DVARROWMERE_WERROR=ON -DVARROWMERE_BENCH=OFF

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Only what the fuzz runs and the ThreadSanitizer check need.
build-fuzz: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) --target fuzz_targets -j $(JOBS)

build-tsan: deps $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) --target test_search varrowmere -j $(JOBS)

build-soak: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target varrowmere-soak -j $(JOBS)

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure --no-tests=error

# Every fuzz target for FUZZ_SMOKE_SECONDS, two at a time.
test-fuzz: build-fuzz
	tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS) 2

# The search tests, then one two-ply GO of the player process (shot 14 with one stone in play:
# the second ply ends the end, which keeps it to about a minute under ThreadSanitizer).
test-tsan: build-tsan build-soak
	$(TSAN_ENV) ./$(TSAN_BUILD)/tests/test_search
	$(TSAN_ENV) ./$(BUILD)/varrowmere-soak --player ./$(TSAN_BUILD)/varrowmere --depth2-go

test: test-release test-asan test-fuzz test-tsan test-windows

# The Windows builds (cross-compiled with mingw-w64, Box2D from Debian's source package): the
# player and the engine's tests, 32- and 64-bit. Their set-up is installed only for these.
WIN32_BUILD := build-win32
WIN64_BUILD := build-win64
WIN_DEPS := build-windows-deps
WIN_CMAKE := cmake -DCMAKE_BUILD_TYPE=Release -DVARROWMERE_WERROR=ON \
             -DVARROWMERE_BOX2D_SOURCE=$(CURDIR)/$(WIN_DEPS)/box2d

deps-windows:
	@bash scripts/install-deps --windows

$(WIN_DEPS)/box2d/CMakeLists.txt: | deps-windows
	bash scripts/fetch-box2d-source $(WIN_DEPS)

$(WIN32_BUILD)/CMakeCache.txt: | deps-windows $(WIN_DEPS)/box2d/CMakeLists.txt
	$(WIN_CMAKE) -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake

$(WIN64_BUILD)/CMakeCache.txt: | deps-windows $(WIN_DEPS)/box2d/CMakeLists.txt
	$(WIN_CMAKE) -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake

# The two players and their zips in dist/ (the stage builds the engine's tests where it runs
# them).
windows: deps-windows $(WIN32_BUILD)/CMakeCache.txt $(WIN64_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) --target varrowmere -j $(JOBS)
	cmake --build $(WIN64_BUILD) --target varrowmere -j $(JOBS)
	@mkdir -p dist
	for b in $(WIN32_BUILD) $(WIN64_BUILD); do \
	  (cd $$b && cpack -G ZIP >/dev/null) && cp $$b/package/varrowmere-*.zip dist/ || exit 1; \
	done
	@ls dist/*.zip

# The Debian package in dist/: the player and the referee in /usr/bin, the data files in
# /usr/share/varrowmere/, which its build reads them from; scripts/check-deb checks its contents.
DEB_BUILD := build-deb
$(DEB_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DVARROWMERE_WERROR=ON \
	      -DVARROWMERE_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr -DVARROWMERE_DATA_DIR=/usr/share/varrowmere/

print-version:
	@echo $(VERSION)

package: deps $(DEB_BUILD)/CMakeCache.txt
	cmake --build $(DEB_BUILD) --target varrowmere varrowmere-match -j $(JOBS)
	@mkdir -p dist
	rm -f $(DEB_BUILD)/package/*.deb
	cd $(DEB_BUILD) && cpack -G DEB >/dev/null
	cp $(DEB_BUILD)/package/*.deb dist/
	bash scripts/check-deb dist/varrowmere_$(VERSION)_amd64.deb

# The Windows programs under wine against the Linux build (scripts/test-windows).
test-windows: windows build
	bash scripts/test-windows $(BUILD) $(WIN64_BUILD) $(WIN32_BUILD)

# The engine's 32-bit x86 code under qemu-i386 against this Linux build (scripts/check-i686;
# not part of `make test`, which it would lengthen by about 12 minutes).
check-i686: build
	@bash scripts/install-deps --i686
	bash scripts/check-i686 $(BUILD)

fuzz: build-fuzz
	FUZZ_RUNS=$(FUZZ_RUNS) tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_PARALLEL)

# Minimises each campaign corpus (tests/fuzz/corpus/<name>.tar.gz) with the working one.
fuzz-merge: build-fuzz
	@mkdir -p $(FUZZ_BUILD)/fuzz-logs
	tests/fuzz/merge_corpus.sh $(FUZZ_BUILD)

soak: build-soak
	./$(BUILD)/varrowmere-soak $(SOAK_ARGS)

run: build
	@rm -rf $(BUILD)/game && mkdir -p $(BUILD)/game
	./$(BUILD)/varrowmere-match --ends 2 --svg $(BUILD)/game --log $(BUILD)/game/game.jsonl \
	  --html $(BUILD)/game/game.html
	@echo "The pictures of the house after each end and the game's log are in $(CURDIR)/$(BUILD)/game"
	@echo "Watch the game: open $(CURDIR)/$(BUILD)/game/game.html in a browser"

# Line and branch coverage of src/ by the committed fuzz corpora, then with the tests as well
# (not part of `make test`; build-coverage/, clang's source-based coverage, llvm-cov).
coverage: deps
	@bash scripts/install-deps --coverage
	bash scripts/coverage $(CURDIR)/build-coverage

# The mutation check (not part of `make test`): every fault of tests/mutants.txt must be caught.
# MUTANTS_FILTER= tries only the lines containing it.
MUTANTS_FILTER ?=
mutants: deps
	bash tests/mutants.sh $(CURDIR)/build-mutants $(CURDIR)/tests/mutants.txt "$(MUTANTS_FILTER)"

bench: build
	@found=0; for b in $(BUILD)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" || exit 1; \
	done; [ $$found = 1 ] || echo "no benchmark programs yet (each bench/*.cpp becomes one)"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(TSAN_BUILD) build-mutants build-coverage
