#!/usr/bin/env bash
# Boots a freshly built image in the emulator (headless, under Xvfb) and
# checks the screen against the frame the boot program's own logic predicts
# on the host (boot_frame), scaled and within a tolerance. The same check
# against a near miss (the cursor one row off, another game's page) must
# score clearly worse, so a blank or wrong screen cannot pass.
#
#   dolphin_boot.sh menu  KESSRA MAKE_ROM BOOT_FRAME PROGRAM_UART
#       three ROMs, skin 1: the first frame shows the menu on that skin;
#   dolphin_boot.sh pipes KESSRA MAKE_ROM BOOT_FRAME PROGRAM_UART
#       the controller, driven through a pipe, presses down twice and Y: the
#       third game's details page; the test-only program (PROGRAM_UART)
#       also reports it on the emulator's log.
#
# Skipped (77) where the emulator or the X tools are missing. Every process
# started here is stopped by its id, whatever happens.
set -uo pipefail
mode="$1" kessra="$2" make_rom="$3" boot_frame="$4" program_uart="$5"
source "$(dirname "$0")/dolphin_common.sh"
dolphin_require
dolphin_workdir

# --- the image -------------------------------------------------------------
mkdir "$work/roms"
"$make_rom" "$work/roms/Alpha Quest.gba" 8 "ALPHAQUEST" ALPH >/dev/null
"$make_rom" "$work/roms/b.gba" 4 "BEE" BEEE >/dev/null
"$make_rom" "$work/roms/Cee Game (Europe).gba" 16 "CEEGAME" CEEG >/dev/null
"$kessra" -o "$work/boot.iso" -d "$work/roms" -v "BOOT TEST" -ds 1 >/dev/null || fail "kessra could not build the image"
if [ "$mode" = pipes ]; then
  # The test-only program, around the menu and settings the build patched
  # (program image at 0x1D924; patch area at 0x1BC528 to 0x1BE537 in it).
  copy() { # from to length, in bytes
    dd if="$program_uart" of="$work/boot.iso" bs=64K iflag=skip_bytes,count_bytes oflag=seek_bytes \
      skip="$1" seek=$((0x1D924 + $1)) count="$2" conv=notrunc status=none
  }
  copy 0 $((0x1BC528))
  copy $((0x1BE538)) $((0x1CEFA0 - 0x1BE538))
fi

# Predicted frames: what must show, and the near misses.
predict() { "$boot_frame" "$work/boot.iso" "$1" "$work/$2.ppm" || fail "boot_frame $1"; }
predict - menu
predict d menu_second
if [ "$mode" = pipes ]; then
  predict ddy details_third
  predict dy details_second
  predict dd menu_third
fi

# --- the emulator ------------------------------------------------------------
if [ "$mode" = pipes ]; then dolphin_start "$work/boot.iso" pipe; else dolphin_start "$work/boot.iso"; fi

# --- comparing the screen ------------------------------------------------------
# RMSE (0..1) between the emulator's picture, cut to its non-black part, and a
# predicted frame, both scaled to 320 x 240.
shoot() { xwd -root -silent 2>/dev/null | convert xwd:- -fuzz 4% -trim +repage -resize '320x240!' "$work/shot.png" 2>/dev/null; }
score() {
  convert "$work/$1.ppm" -resize '320x240!' "$work/want.png"
  score_against "$work/want.png"
}
# Waits (up to $2 s) for the screen to match frame $1 within the tolerance.
wait_for() {
  local deadline=$((SECONDS + $2)) s
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || fail "the emulator stopped"
    sleep 1
    shoot || continue
    s="$(score "$1")"
    [ -n "$s" ] && better "$s" "$TOLERANCE" && { echo "$1: RMSE $s"; return 0; }
  done
  cp "$work/shot.png" "${TMPDIR:-/tmp}/kessra-boot-$mode-last.png" 2>/dev/null
  fail "the screen never matched $1 (last RMSE ${s:-none}, screenshot kept in ${TMPDIR:-/tmp}/kessra-boot-$mode-last.png)"
}
# The match must beat each near miss by a clear margin.
clearly_not() {
  local want miss
  want="$(score "$1")"
  miss="$(score "$2")"
  echo "  vs $2: RMSE $miss"
  clearly_better "$want" "$miss" || fail "$1 ($want) is not clearly closer than $2 ($miss)"
}

wait_for menu 40
clearly_not menu menu_second
if [ "$mode" = pipes ]; then
  press D_DOWN
  press D_DOWN
  press Y
  wait_for details_third 15
  clearly_not details_third details_second
  clearly_not details_third menu_third
  grep -q "kessra: page details cursor 3 of 3 title CEEGAME" "$work/dolphin.log" ||
    fail "the program did not report the third game's details page on its debug line"
  grep "kessra: page" "$work/dolphin.log" | sed 's/^/  log: /'
fi
echo "ok"
