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
#       the controller, driven through a pipe, presses down twice and A: the
#       third game's details page; the test-only program (PROGRAM_UART)
#       also reports it on the emulator's log.
#
# Skipped (77) where the emulator or the X tools are missing. Every process
# started here is stopped by its id, whatever happens.
set -uo pipefail
mode="$1" kessra="$2" make_rom="$3" boot_frame="$4" program_uart="$5"
export PATH="$PATH:/usr/games"
for tool in dolphin-emu-nogui Xvfb xwd convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipping"; exit 77; }
done

work="$(mktemp -d)"
xvfb_pid="" dolphin_pid=""
stop() { # pid...: TERM, a moment's grace, then KILL
  local pid
  for pid in "$@"; do kill "$pid" 2>/dev/null; done
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    local alive=0
    for pid in "$@"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    [ $alive = 0 ] && return
    sleep 0.3
  done
  for pid in "$@"; do kill -9 "$pid" 2>/dev/null; done
}
cleanup() {
  exec 5>&- 2>/dev/null
  [ -n "$dolphin_pid" ] && stop "$dolphin_pid"
  [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/dolphin.log" ] && tail -n 20 "$work/dolphin.log"; exit 1; }

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
  predict dda details_third
  predict da details_second
  predict dd menu_third
fi

# --- the emulator ------------------------------------------------------------
user="$work/user"
mkdir -p "$user/Config" "$user/Pipes"
cat >"$user/Config/Dolphin.ini" <<'INI'
[Analytics]
PermissionAsked = True
Enabled = False
[Interface]
ConfirmStop = False
OnScreenDisplayMessages = False
[Core]
SkipIPL = True
[Display]
RenderWindowXPos = 0
RenderWindowYPos = 0
RenderWindowWidth = 640
RenderWindowHeight = 480
INI
if [ "$mode" = pipes ]; then
  mkfifo "$user/Pipes/pipe1"
  exec 5<>"$user/Pipes/pipe1" # held open for the whole run
  cat >"$user/Config/GCPadNew.ini" <<'INI'
[GCPad1]
Device = Pipe/0/pipe1
Buttons/A = `Button A`
Buttons/B = `Button B`
D-Pad/Up = `Button D_UP`
D-Pad/Down = `Button D_DOWN`
INI
else
  printf '[GCPad1]\nDevice = \nOptions/Always Connected = True\n' >"$user/Config/GCPadNew.ini"
fi

Xvfb -displayfd 4 -screen 0 1280x1024x24 -br -nolisten tcp 4>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
dolphin-emu-nogui -p x11 -u "$user" -v OGL -e "$work/boot.iso" \
  -C Logger.Logs.OSREPORT=True -C Logger.Options.WriteToConsole=True >"$work/dolphin.log" 2>&1 &
dolphin_pid=$!

# --- comparing the screen ------------------------------------------------------
# RMSE (0..1) between the emulator's picture, cut to its non-black part, and a
# predicted frame, both scaled to 320 x 240.
shoot() { xwd -root -silent 2>/dev/null | convert xwd:- -fuzz 4% -trim +repage -resize '320x240!' "$work/shot.png" 2>/dev/null; }
score() {
  convert "$work/$1.ppm" -resize '320x240!' "$work/want.png"
  compare -metric RMSE "$work/shot.png" "$work/want.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}
better() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
TOLERANCE=0.08
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
  better "$(awk -v w="$want" 'BEGIN { print w * 1.5 + 0.005 }')" "$miss" || fail "$1 ($want) is not clearly closer than $2 ($miss)"
}
press() { echo "PRESS $1" >&5; sleep 0.3; echo "RELEASE $1" >&5; sleep 0.4; }

wait_for menu 40
clearly_not menu menu_second
if [ "$mode" = pipes ]; then
  press D_DOWN
  press D_DOWN
  press A
  wait_for details_third 15
  clearly_not details_third details_second
  clearly_not details_third menu_third
  grep -q "kessra: page details cursor 3 of 3 title CEEGAME" "$work/dolphin.log" ||
    fail "the program did not report the third game's details page on its debug line"
  grep "kessra: page" "$work/dolphin.log" | sed 's/^/  log: /'
fi
echo "ok"
