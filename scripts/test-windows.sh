#!/usr/bin/env bash
# The Windows build: cross-compiles the tool and its tests with MinGW-w64,
# runs the whole test suite under wine, then checks that the Windows program
# writes the same image as the Linux one (tests/windows/compare_with_linux.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
phase() { echo "== $1 ($((SECONDS - start)) s)"; }

phase "dependencies"
scripts/deps.sh windows

# The build machine's programs: the blob generator the cross build runs, and
# the Linux tool and ROM maker for the comparison.
phase "host tools"
cmake -S . -B build/host-tools -DCMAKE_BUILD_TYPE=Release -DKESSRA_BUILD_TESTS=OFF >/dev/null
cmake --build build/host-tools -j 2 --target payload_gen kessra make_rom

# A fresh wine prefix of the build's own, served by one persistent wineserver
# for the whole run: started per program, wine costs seconds each time.
phase "wine prefix"
export WINEPREFIX="$PWD/build/mingw/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first program starts wine's background services, which keep the
# standard streams they were given: /dev/null here, not a pipe a later test
# runner would wait on.
wine wineboot.exe --init </dev/null >/dev/null 2>&1 || { echo "wine could not set up $WINEPREFIX" >&2; exit 1; }

phase "mingw build"
cmake --preset mingw >/dev/null
cmake --build --preset mingw

phase "tests under wine"
ctest --preset mingw

phase "comparison with the Linux build"
tests/windows/compare_with_linux.sh build/host-tools/src/kessra build/mingw/src/kessra.exe \
  build/host-tools/tools/make_rom cmake/wine-run.sh

phase "Windows package"
rm -rf build/mingw/packages
(cd build/mingw && cpack -G ZIP >/dev/null)
zip="$(find build/mingw/packages -maxdepth 1 -name 'kessra-*-windows-x86_64.zip' | head -n 1)"
[ -n "$zip" ] || { echo "cpack made no .zip" >&2; exit 1; }
contents="$(python3 -m zipfile -l "$zip")"
for member in kessra.exe README.md LICENSE; do
  grep -q "/$member " <<<"$contents" || { echo "$zip lacks $member" >&2; echo "$contents" >&2; exit 1; }
done
echo "$zip holds kessra.exe, README.md and LICENSE"

phase "done"
