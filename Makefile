# Thin wrapper over the CMake presets: `make test` and `make demo` are all a
# new user needs.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test test-release test-asan demo bench fuzz format clean

all: build

build:
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

test: test-release test-asan

test-release:
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)

test-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

demo:
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target QELPeopleMaskMerger
	@./examples/run-demo.sh build/release/QELPeopleMaskMerger build/demo

# The tool against git merge-file on generated masks (a few minutes);
# MERGER_BIN=<path> measures another binary.
bench:
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target QELPeopleMaskMerger
	./bench/run-bench.sh build/release

# Each fuzz target for FUZZ_SECONDS seconds (clang and its libFuzzer
# runtime needed: `.ci/run` installs them); new inputs are kept in
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
# counted once, however many files include it.
lint:
	cmake --preset release >/dev/null
	@status=0; printf '%s\n' $(LINT_SOURCES) | \
	  xargs -P $(JOBS) -n 1 clang-tidy -p build/release --quiet >build/lint.log 2>&1 || status=$$?; \
	grep -v ' warnings\? generated\.$$' build/lint.log; \
	echo "lint: $$(grep ': error: ' build/lint.log | sort -u | wc -l) findings"; \
	exit $$status

format-check:
	clang-format --dry-run -Werror $(FORMAT_SOURCES)
