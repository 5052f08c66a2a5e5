#!/usr/bin/env bash
# Builds the packages of a build folder into a scratch folder and checks them
# as an administrator would meet them, without installing anything on this
# machine: the files that `cmake --install`, the Debian package and the
# .tar.gz hold, the package's control fields, and a run of the unpacked
# program on the unpacked examples, which must give the merged mask that
# `make demo` gives.
#
#   usage: check-package.sh <cpack> <build folder> <source folder> <version>
# Exits 77 (skipped) when the Debian package tools are not installed.
set -uo pipefail

cpack=$1
build=$(realpath "$2")
source=$(realpath "$3")
version=$4
expected_list=$source/tests/packaging/expected-files.txt
package=qelpeoplemaskmerger
docdir=share/doc/$package

for tool in dpkg-deb dpkg-shlibdeps file; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: packages not checked"
    exit 77
  fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0
check() { # check <what> <command...>: counts the command's success
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
  fi
}
same_text() { # same_text <expected> <actual>: equal, else shows the difference
  diff -u <(printf '%s\n' "$1") <(printf '%s\n' "$2") || return 1
}
files_under() { # sorted list of the files under a folder, relative to it
  (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort)
}

expected_files=$(grep -v '^#' "$expected_list" | LC_ALL=C sort)

# The install rules, on their own.
"$(dirname "$cpack")/cmake" --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1 ||
  cat "$scratch/install.log"
check "cmake --install puts exactly the listed files under the prefix" \
  same_text "$expected_files" "$(files_under "$scratch/prefix")"

# The packages.
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/packages" \
  >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb=$(find "$scratch/packages" -maxdepth 1 -name '*.deb')
tgz=$(find "$scratch/packages" -maxdepth 1 -name '*.tar.gz')
arch=$(dpkg --print-architecture)
check "one .deb named after the package, version and architecture" \
  same_text "${package}_${version}_$arch.deb" "$(basename "$deb")"
check "one .tar.gz" same_text "$package-$version-Linux.tar.gz" "$(basename "$tgz")"

# The Debian package: fields, files, owners and modes.
field() { dpkg-deb --field "$deb" "$1"; }
check "Package field" same_text "$package" "$(field Package)"
check "Version field" same_text "$version" "$(field Version)"
check "Architecture field" same_text "$arch" "$(field Architecture)"
check "Section field" same_text admin "$(field Section)"
check "Maintainer field" test -n "$(field Maintainer)"
depends=$(field Depends)
check "Depends computed from the linked libraries: $depends" \
  grep -qE '(^|, )libc6 \(>= [^)]+\)(,|$)' <<<"$depends"
check "Depends names the C++ runtime: $depends" grep -qE '(^|, )libstdc\+\+6 ' <<<"$depends"
check "Description: a summary and a long description" \
  test "$(field Description | wc -l)" -ge 3

dpkg-deb -x "$deb" "$scratch/deb"
check "the .deb puts exactly the listed files under /usr" \
  same_text "$(sed 's|^|usr/|' <<<"$expected_files")" "$(files_under "$scratch/deb")"
check "every file and folder of the .deb belongs to root" \
  same_text "" "$(dpkg-deb --contents "$deb" | awk '$2 != "root/root"')"
modes=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $1, $6 }' | LC_ALL=C sort -k2)
expected_modes=$(while read -r file; do
  case $file in
    bin/* | */run-demo.sh) echo "-rwxr-xr-x ./usr/$file" ;;
    *) echo "-rw-r--r-- ./usr/$file" ;;
  esac
done <<<"$expected_files" | LC_ALL=C sort -k2)
check "programs are executable, other files are read-only" same_text "$expected_modes" "$modes"
while read -r file; do
  case $file in
    share/man/*)
      check "$file is the page the build made" \
        cmp "$build/man/$(basename "$file")" "$scratch/deb/usr/$file"
      ;;
    share/bash-completion/completions/*)
      check "$file is the project's completion script" \
        cmp "$source/completion/$(basename "$file").bash" "$scratch/deb/usr/$file"
      ;;
  esac
done <<<"$expected_files"

# The .tar.gz holds the same files, under one top folder.
top=$package-$version-Linux
check "the .tar.gz holds exactly the listed files under $top/" \
  same_text "$(sed "s|^|$top/|" <<<"$expected_files")" \
  "$(tar -tzf "$tgz" | grep -v '/$' | LC_ALL=C sort)"

# The unpacked program on the unpacked examples, against `make demo`.
demo() { # demo <run-demo.sh> <tool> <out folder>: console, paths replaced
  local examples
  examples=$(dirname "$1")
  "$1" "$2" "$3" 2>"$3.stderr" | sed -e "s|$examples/|EXAMPLES/|g" -e "s|$3/|OUT/|g"
  echo "status ${PIPESTATUS[0]}"
}
built=$(demo "$source/examples/run-demo.sh" "$build/QELPeopleMaskMerger" "$scratch/demo")
unpacked=$(demo "$scratch/deb/usr/$docdir/examples/run-demo.sh" \
  "$scratch/deb/usr/bin/QELPeopleMaskMerger" "$scratch/deb-demo")
check "the make demo run ends with status 0" grep -qx 'status 0' <<<"$built"
check "the unpacked program prints what the built one prints" same_text "$built" "$unpacked"
check "the unpacked program writes the merged mask that make demo writes" \
  cmp "$scratch/demo/merged.msk" "$scratch/deb-demo/merged.msk"
check "nothing on standard error" test ! -s "$scratch/demo.stderr" -a ! -s "$scratch/deb-demo.stderr"

echo "package: $passed passed, $failed failed"
[[ $failed == 0 ]]
