# Entry points (see README.md):
#   make run    installs what is missing, builds build/kelvo and starts it
#   make test   installs what is missing, builds and runs every test, then
#               the same unit and whole-program tests under the sanitizers,
#               then each fuzz target for a bounded time (make test-fuzz)
#   make install  builds and installs the program under PREFIX (DESTDIR honoured)
#   make package  builds build/kelvo_<version>_amd64.deb
#   make perf   measures the abacus beside a bare SDL2 program under Xvfb and
#               prints the README's performance table (not part of make test)
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: deps build run test test-plain test-asan test-fuzz bench perf format clean install package

deps:
	@tools/install-deps.sh

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

run: build
	./build/kelvo

install: build
	cmake --install build --prefix $(PREFIX) --component kelvo

package: build
	cd build && cpack

test: test-plain test-asan test-fuzz

test-plain: build
	cd build && ctest --output-on-failure -j $(JOBS) --timeout 600

test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVO_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS) --timeout 900 -LE e2e

# The fuzz targets (fuzz/), built by clang with libFuzzer and the sanitizers,
# each run for KELVO_FUZZ_SECONDS (default 60) from its seed corpus.
test-fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DKELVO_FUZZ=ON -DKELVO_TESTS=OFF -DKELVO_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target kelvo_fuzz_targets
	fuzz/run.sh build-fuzz

bench: build
	@for b in build/bench/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

perf: build
	bench/startup.sh build

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz
