#!/usr/bin/env bash
# Installs what building and testing the project needs on a Debian machine,
# and only what is missing: the one list of the project's dependencies
# (`make deps`, which `make demo`, `make test` and .ci/run call first).
#
# As root, missing Debian packages are installed with apt-get, and the
# browser tests' npm packages with `npm ci --prefix tests/browser` (as the
# owner of that folder, so that a `sudo make deps` leaves no root-owned
# files in a user's tree). Not as root, it runs `npm ci` itself (it writes
# into the tree only), but for Debian packages it prints the command to run
# and fails. When nothing is missing it prints one line and succeeds.
#
# For a demonstration, or to test the script itself:
#   DEPS_ROOT=DIR           look for every file and program under DIR (as if
#                           DIR were /): an empty folder is a fresh machine
#   DEPS_ASSUME_NONROOT=1   behave as a user other than root
#   DEPS_DRY_RUN=1          print the apt-get and npm commands, run nothing
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

root=${DEPS_ROOT:-}
if [[ -n $root ]]; then
  search_path="$root/usr/local/bin:$root/usr/bin:$root/bin"
else
  search_path=$PATH
fi

has_command() { PATH=$search_path command -v "$1" >/dev/null 2>&1; }
has_file() { [[ -f $root$1 ]]; }
has_any() { compgen -G "$root$1" >/dev/null; } # a glob that matches

need=()
want() { # want <package> <test...>: the package is needed unless the test holds
  local package=$1
  shift
  "$@" || need+=("$package")
}

# Building and the unit and end-to-end tests.
want cmake has_command cmake
want g++ has_command g++
want make has_command make
want libgtest-dev has_file /usr/include/gtest/gtest.h
want libgmock-dev has_file /usr/include/gmock/gmock.h
# qelmask parses its command line with CLI11 and writes its report with
# nlohmann-json (both header-only); some tests are Python scripts.
want libcli11-dev has_file /usr/include/CLI/CLI.hpp
want nlohmann-json3-dev has_file /usr/include/nlohmann/json.hpp
want python3 has_command python3
# qelmask git-setup runs git; the git scenario test merges in real repositories.
want git has_command git
# The manual pages, and the Debian package with its computed dependencies.
want groff-base has_command groff
want man-db has_command man
want dpkg-dev has_command dpkg-shlibdeps
want file has_command file
# The code checks (make format-check, make lint).
want clang-format has_command clang-format
want clang-tidy has_command clang-tidy
# make fuzz: clang and its libFuzzer runtime.
want clang has_command clang++
want libclang-rt-dev has_any '/usr/lib/llvm-*/lib/clang/*/lib/*/libclang_rt.fuzzer*.a'
# The browser tests of the report page: Chromium, driven from Node.js by
# playwright-core (an npm package, pinned in tests/browser/package-lock.json).
want chromium test -x "$root/usr/bin/chromium"
want nodejs has_command node
want npm has_command npm

browser=tests/browser
need_npm=0
[[ -d $root$repo/$browser/node_modules/playwright-core ]] || need_npm=1

if [[ ${#need[@]} -eq 0 && $need_npm -eq 0 ]]; then
  echo "deps: everything is installed"
  exit 0
fi

is_root=0
[[ $(id -u) -eq 0 && -z ${DEPS_ASSUME_NONROOT:-} ]] && is_root=1

run() { # prints the command when dry, runs it otherwise
  if [[ -n ${DEPS_DRY_RUN:-} ]]; then
    printf '%q ' "$@" | sed 's/ $//'
    echo
  else
    "$@"
  fi
}

if [[ ${#need[@]} -gt 0 ]]; then
  if [[ $is_root -eq 0 ]]; then
    echo "deps: missing Debian packages: ${need[*]}" >&2
    echo "deps: install them as root with: sudo make deps" >&2
    exit 1
  fi
  echo "deps: installing ${need[*]}"
  run env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

if [[ $need_npm -eq 1 ]]; then
  echo "deps: installing the npm packages of $browser"
  npm_command=(npm ci --prefix "$repo/$browser" --no-audit --no-fund --loglevel=error)
  owner=$(stat -c %U "$repo/$browser")
  if [[ $is_root -eq 1 && $owner != root ]]; then
    # node_modules and npm's cache belong to the user whose tree this is.
    home=$(getent passwd "$owner" | cut -d: -f6)
    run runuser -u "$owner" -- env HOME="$home" "${npm_command[@]}"
  else
    run "${npm_command[@]}"
  fi
fi
