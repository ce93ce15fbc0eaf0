#!/usr/bin/env bash
# Builds the tool, makes a small sample ROM set and builds a disc image from it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kessra make_rom
bin=build/release
rm -rf sample && mkdir -p sample/roms
"$bin/tools/make_rom" "sample/roms/Pokey Quest.gba" 4 "POKEYQUEST" POKE
"$bin/tools/make_rom" "sample/roms/Alpha Quest.gba" 8 "ALPHAQUEST" ALPH
"$bin/tools/make_rom" "sample/roms/tetrix.gba" 16 "tetrix" TETR
"$bin/src/kessra" -o sample/sample.iso -d sample/roms -v "KESSRA SAMPLE" -ds 1 -dz 2
echo
echo
ls -l sample/sample.iso sample/sample.iso.txt
