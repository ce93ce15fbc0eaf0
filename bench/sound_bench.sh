#!/usr/bin/env bash
# The cost of sound per handheld frame: `kessra run` over the same ROM and
# frames with and without -audio (which produces the sound at 32768 Hz and
# keeps it), best of three runs each; prints frames per second both ways and
# the microseconds sound adds to a frame.
#   bench/sound_bench.sh BUILD_DIR [FRAMES]   (default 3000 frames)
# Uses the sound test ROMs of the build (tests/emu/roms/sound_*.gba) and one
# silent ROM; not part of CI.
set -euo pipefail
build=${1:?usage: sound_bench.sh BUILD_DIR [FRAMES]}
frames=${2:-3000}
kessra="$build/src/kessra"
roms="$build/tests/emu/roms"
[ -x "$kessra" ] || { echo "build kessra first"; exit 1; }
[ -f "$roms/sound_pcm.gba" ] || { echo "build the test ROMs first (kessra_test_roms)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best (highest) frames per second of three runs.
best_fps() {
  local best=0 line fps
  for _ in 1 2 3; do
    line=$("$kessra" run "$@" -frames "$frames" -screenshot "$work/shot.png")
    fps=$(sed -E 's/.*\(([0-9.]+) frames per second\).*/\1/' <<<"$line")
    best=$(awk -v a="$best" -v b="$fps" 'BEGIN { print (b > a ? b : a) }')
  done
  echo "$best"
}

printf '%-16s %12s %12s %14s\n' ROM "fps silent" "fps sound" "us per frame"
for rom in sound_square sound_wave sound_noise sound_pcm video_lines; do
  [ -f "$roms/$rom.gba" ] || continue
  without=$(best_fps "$roms/$rom.gba")
  with=$(best_fps "$roms/$rom.gba" -audio "$work/sound.wav")
  cost=$(awk -v a="$without" -v b="$with" 'BEGIN { printf "%.1f", 1e6 / b - 1e6 / a }')
  printf '%-16s %12s %12s %14s\n' "$rom" "$without" "$with" "$cost"
done
