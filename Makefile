# The two front doors: `make run` starts the player on this terminal (type the protocol;
# end with Ctrl-D), `make test` builds and runs every test (a normal Release build and an
# AddressSanitizer + UndefinedBehaviorSanitizer build).
# Both install what is missing first.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD := build
ASAN_BUILD := build-asan

.PHONY: all deps build build-asan test test-release test-asan run bench clean

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVARROWMERE_WERROR=ON

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARROWMERE_SANITIZE=ON \
	      -DVARROWMERE_WERROR=ON -DVARROWMERE_BENCH=OFF

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure --no-tests=error

test: test-release test-asan

run: build
	@rm -rf $(BUILD)/game && mkdir -p $(BUILD)/game
	./$(BUILD)/varrowmere-match --ends 2 --svg $(BUILD)/game --log $(BUILD)/game/game.jsonl
	@echo "The pictures of the house after each end and the game's log are in $(CURDIR)/$(BUILD)/game"

bench: build
	@found=0; for b in $(BUILD)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" || exit 1; \
	done; [ $$found = 1 ] || echo "no benchmark programs yet (each bench/*.cpp becomes one)"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
