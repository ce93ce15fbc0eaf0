#!/bin/sh
# Runs a Windows program under wine: the emulator of the mingw preset, used
# by CMake for the test discovery and by CTest for every test.
# WINEPREFIX defaults to a prefix of the project's own under build/mingw, so
# a persistent wineserver started for that prefix serves every run.
root="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/mingw/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No runtime installers for .NET or HTML when the prefix is first made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
