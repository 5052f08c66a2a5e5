# Thin wrapper over the CMake presets: `make demo` and `make test` are all a
# new user needs. Both run `make deps` first, which installs what a fresh
# Debian machine lacks (tools/deps.sh; not as root, it names the command to
# run instead).
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build test test-release test-asan test-tsan demo bench fuzz format clean

all: build

deps:
	@tools/deps.sh

build:
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

test: test-release test-asan test-tsan

test-release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The tests labelled `threads` (runs over several sites, the pool, the
# registry of temporary files) under ThreadSanitizer.
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target qelmask merger_platform_tests merger_qelmask_tests
	ctest --preset tsan -j $(JOBS)

# Both programs, and `qelmask merge` on the examples, into build/demo.
demo: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target QELPeopleMaskMerger qelmask
	@examples/run-demo.sh build/release/qelmask build/demo

# The tool against git merge-file on generated masks, and qelmask over a
# fleet of 32 sites against 32 separate runs (a few minutes);
# MERGER_BIN=<path> measures another binary.
bench:
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target QELPeopleMaskMerger qelmask
	./bench/run-bench.sh build/release
	./bench/fleet-bench.sh build/release

# Each fuzz target for FUZZ_SECONDS seconds (clang and its libFuzzer
# runtime needed: `make deps` installs them); new inputs are kept in
# build/fuzz/fuzz-corpus for the next run.
FUZZ_SECONDS ?= 60
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	./tests/fuzz/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build

# --- Installation, packages and code checks ---------------------------------
# `make install PREFIX=DIR` installs the release build under DIR (DESTDIR is
# honoured too); `make package` writes the .deb and the .tar.gz into
# build/release.
PREFIX ?= /usr/local
LINT_SOURCES = $(shell git ls-files 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp')
FORMAT_SOURCES = $(shell git ls-files '*.cpp' '*.h')

.PHONY: install package lint format-check

install: build
	cmake --install build/release --prefix $(PREFIX)

package: build
	cpack --preset release

# clang-tidy with the checks of .clang-tidy; any finding fails the target.
# The log is kept in build/lint.log; the per-file counts of warnings silenced
# in library headers are left out of what is shown. A finding in a header is
# counted once, however many files include it. First, the layers of src/
# include downwards only (tools/check-layers.py).
lint:
	python3 tools/check-layers.py
	cmake --preset release >/dev/null
	@status=0; printf '%s\n' $(LINT_SOURCES) | \
	  xargs -P $(JOBS) -n 1 clang-tidy -p build/release --quiet >build/lint.log 2>&1 || status=$$?; \
	grep -v ' warnings\? generated\.$$' build/lint.log; \
	echo "lint: $$(grep ': error: ' build/lint.log | sort -u | wc -l) findings"; \
	exit $$status

format-check:
	clang-format --dry-run -Werror $(FORMAT_SOURCES)
