# Top-level entry points. `make run` and `make test` work on a fresh Debian machine.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD ?= build-win
WEB_BUILD ?= build-web
WEB_PORT ?= 8080
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build build-asan run run-game test test-unit test-asan bench fuzz soak clean install docs deps-windows windows test-windows deps-web web serve-web test-web

all: build

deps:
	@bash scripts/deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZORTA_SANITIZE=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The program looks for Maps/ and TileSets/ and writes log.txt in its working
# folder: run it from the folder the build prepared for it.
run: build
	cd $(BUILD)/run && ../zorta

# The example game, in the folder the build made its levels in.
run-game: build
	cd $(BUILD)/game-run && ../zorta-game

test: build build-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	@if [ -x fuzz/run-all ]; then bash fuzz/run-all; fi

# The synth voice's benchmark times jsfxr in Node beside it and prints the ratio.
bench: build
	@bash tests/reference/install-jsfxr.sh $(BUILD)/jsfxr > /dev/null || echo "jsfxr could not be installed: bench_synth times ours alone"
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

soak: build
	bash tests/soak.sh $(BUILD)/zorta

# `sudo make install` after `make`; PREFIX=DIR for another place than the
# configured one (/usr/local), DESTDIR=DIR to stage for a package.
install: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

# The reference of the public headers (include/zorta), by Doxygen, in
# $(BUILD)/docs/html. Configured again in case Doxygen came after the build.
docs: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) > /dev/null
	cmake --build $(BUILD) --target zorta_docs

# Windows: zorta.exe cross-built with MinGW-w64, its libraries from Debian's
# own source packages (built once per version), tested under Wine.
deps-windows:
	@bash scripts/deps-windows

windows: deps-windows
	JOBS=$(JOBS) bash scripts/windows/build.sh $(WIN_BUILD)

test-windows: deps-windows
	JOBS=$(JOBS) bash scripts/windows/test.sh $(WIN_BUILD)

# The web: the demo as a page built with Emscripten, its libraries from
# Debian's own source packages (built once per version), tested in Chromium.
deps-web:
	@bash scripts/deps-web

web: deps-web
	JOBS=$(JOBS) bash scripts/web/build.sh $(WEB_BUILD)

# The built page on http://localhost:$(WEB_PORT)/ (Ctrl+C ends it).
serve-web: web
	node tests/web/serve.js $(WEB_BUILD)/dist $(WEB_PORT)

test-web: deps-web
	JOBS=$(JOBS) bash scripts/web/test.sh $(WEB_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz $(WIN_BUILD) $(WEB_BUILD)
