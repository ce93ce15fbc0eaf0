#!/usr/bin/env bash
# The cost of sound per handheld frame: bench/sound_cost over the sound test
# ROMs and one silent ROM. sound_cost runs each ROM twice side by side, with
# and without its sound at 32768 Hz, in slices that take turns, and counts the
# thread's processor time, so a busy machine slows both alike.
#   bench/sound_bench.sh BUILD_DIR [FRAMES]   (default 6000 frames)
# Needs the build's test ROMs and the target sound_cost; not part of CI.
set -euo pipefail
build=${1:?usage: sound_bench.sh BUILD_DIR [FRAMES]}
frames=${2:-6000}
cost="$build/bench/sound_cost"
roms="$build/tests/emu/roms"
[ -x "$cost" ] || { echo "build the target sound_cost first"; exit 1; }
[ -f "$roms/sound_pcm.gba" ] || { echo "build the test ROMs first (kessra_test_roms)"; exit 1; }
for rom in sound_square sound_wave sound_noise sound_pcm video_lines; do
  [ -f "$roms/$rom.gba" ] && "$cost" "$roms/$rom.gba" "$frames"
done
