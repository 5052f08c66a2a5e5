# Thin wrapper over the CMake presets: `make test` and `make demo` are all a
# new user needs.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test test-release test-asan demo bench format clean

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

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
