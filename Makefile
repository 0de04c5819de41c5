# Tastiromatika: the plug-in, the stand-in host and every test.
#
#   make run    build, lay out the host with the plug-in and start it under Wine
#   make test   install what is missing, then build and test in turn: native
#               (the tools, their command-line and docs tests), asan (clang:
#               every unit test under the sanitizers, and the fuzz targets),
#               win32 (the real DLLs under Wine), and each fuzz target for a
#               few seconds (make fuzz-smoke)
#   make bench  the benchmark table, with its targets and pass or miss
#   make fuzz   every fuzz target for 60 s each; `make fuzz SECONDS=600` for
#               longer, `make fuzz RUNS=10000000` for a number of inputs,
#               `make fuzz TARGETS="playback log_line"` for some of them
#   make fuzz-smoke  every fuzz target for 5 s: its seeds, then new inputs

NATIVE := build/native
WIN32  := build/win32
JOBS   ?= 2
FUZZ_SMOKE_SECONDS ?= 5

.PHONY: all deps check-deps native asan win32 build test test-native test-win32 run package bench fuzz fuzz-smoke clean

all: build

# Installs the Debian packages the builds need; `make test` calls it when a
# tool is missing.
deps:
	./scripts/install-deps.sh

check-deps:
	@for tool in cmake ninja g++ i686-w64-mingw32-g++ wine tmux zip clang++; do \
	  command -v $$tool >/dev/null 2>&1 || { echo "missing $$tool: running make deps"; $(MAKE) deps; break; }; \
	done
	@test -f /usr/include/gtest/gtest.h || $(MAKE) deps
	@test -f "$$(clang++ -print-file-name=libclang_rt.fuzzer-$$(uname -m).a)" || $(MAKE) deps

native: check-deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

win32: check-deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

asan: check-deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

build: native asan win32

test-native: native
	ctest --preset native -j $(JOBS)

test-win32: win32
	ctest --preset win32 -j $(JOBS)

# Each build is tested as soon as it is built, so that the first results come
# early.
test: check-deps
	$(MAKE) native
	ctest --preset native -j $(JOBS)
	$(MAKE) asan
	ctest --preset asan -j $(JOBS)
	$(MAKE) win32
	ctest --preset win32 -j $(JOBS)
	$(MAKE) fuzz-smoke

run: win32
	./scripts/run-host.sh $(WIN32)

package: win32
	cd $(WIN32) && cpack -G ZIP

bench: native
	./scripts/bench.sh $(NATIVE)

fuzz:
	FUZZ_SECONDS=$${FUZZ_SECONDS:-$(SECONDS)} FUZZ_RUNS=$${FUZZ_RUNS:-$(RUNS)} ./scripts/fuzz.sh $(TARGETS)

# A fuzz target that no longer builds or fails at once fails `make test`.
fuzz-smoke: check-deps
	FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS) FUZZ_RUNS= FUZZ_PARALLEL=$(JOBS) JOBS=$(JOBS) ./scripts/fuzz.sh

clean:
	rm -rf build
