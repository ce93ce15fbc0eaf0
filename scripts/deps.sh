#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# With "windows", also the cross compiler and wine for the Windows build;
# with "boot", also the emulator and the X tools of the boot tests.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v make >/dev/null || need+=(make)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/stb/stb_image_write.h ] || need+=(libstb-dev)
# Pictures are decoded with libpng and libjpeg-turbo.
[ -f /usr/include/png.h ] || need+=(libpng-dev)
[ -f /usr/include/jpeglib.h ] || need+=(libjpeg62-turbo-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
[ -f /usr/include/zlib.h ] || need+=(zlib1g-dev)
command -v wit >/dev/null || need+=(wit)
# The manual page, its checks, the completion's test and the Debian package.
command -v scdoc >/dev/null || need+=(scdoc)
command -v groff >/dev/null || need+=(groff-base)
command -v mandoc >/dev/null || need+=(mandoc)
[ -f /usr/share/bash-completion/bash_completion ] || need+=(bash-completion)
command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
# The console code is built with clang, ld.lld and llvm-objcopy.
command -v clang >/dev/null || need+=(clang)
command -v ld.lld >/dev/null || need+=(lld)
# libFuzzer's runtime for the fuzz targets (scripts/fuzz.sh).
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
command -v llvm-objcopy >/dev/null || need+=(llvm)
# The format check (scripts/check_format.sh).
command -v clang-format >/dev/null || need+=(clang-format)
# The handheld core's tests compare with a reference emulator's library.
[ -f /usr/include/mgba/core/core.h ] || need+=(libmgba-dev)
if [ "${1:-}" = boot ]; then
  [ -x /usr/games/dolphin-emu-nogui ] || command -v dolphin-emu-nogui >/dev/null || need+=(dolphin-emu)
  command -v Xvfb >/dev/null || need+=(xvfb)
  command -v xwd >/dev/null || need+=(x11-apps)
  command -v compare >/dev/null || need+=(imagemagick)
fi
if [ "${1:-}" = windows ]; then
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
  command -v wine >/dev/null && command -v wineserver >/dev/null || need+=(wine)
  [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
  [ -f /usr/x86_64-w64-mingw32/include/zlib.h ] || need+=(libz-mingw-w64-dev)
fi
[ ${#need[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${need[@]}"
