#!/usr/bin/env bash
# A game whose ROM cannot be read, in the emulator (headless, under Xvfb, the
# controller through the emulator's pipe input):
#
#   dolphin_error.sh KESSRA MAKE_ROM BOOT_FRAME length|offset
#
# The image's file system table is patched so that the ROM's length runs
# past the end of the disc (its header reads, the loading stops at the end),
# or so that the ROM starts past the end (not even its header reads).
# A on the menu must show the message page that says so (the frame the boot
# program's logic predicts on the host, clearly closer than the menu's or
# another message's), never a black screen or a game; B there brings the
# menu back. Skipped (77) where the emulator or the X tools are missing.
set -uo pipefail
kessra="$1" make_rom="$2" boot_frame="$3" patch="${4:-length}"
source "$(dirname "$0")/dolphin_common.sh"
dolphin_require
dolphin_workdir

mkdir "$work/roms"
"$make_rom" "$work/roms/broken.gba" 4 "BROKEN" BRKN >/dev/null || fail "make_rom"
"$kessra" -o "$work/error.iso" -d "$work/roms" -v "ERROR TEST" -ds 1 >/dev/null || fail "kessra could not build the image"
# Big-endian words of the image.
word_at() { od -An -tu4 --endian=big -j "$2" -N4 "$1" | tr -d ' '; }
put_word() { printf "$(printf '\\x%02x' $(($2 >> 24 & 255)) $(($2 >> 16 & 255)) $(($2 >> 8 & 255)) $(($2 & 255)))" |
  dd of="$1" bs=1 seek="$3" conv=notrunc status=none; }
# The table's offset at 0x424; its third entry (root, roms, then the ROM)
# holds the ROM's offset and length in words 1 and 2.
table="$(word_at "$work/error.iso" $((0x424)))"
rom_offset="$(word_at "$work/error.iso" $((table + 28)))"
disc_size="$(stat -c %s "$work/error.iso")"
[ "$(word_at "$work/error.iso" $((table + 32)))" = $((4 << 20)) ] || fail "the table's third entry is not the ROM"
[ $((rom_offset + (16 << 20))) -gt "$disc_size" ] || fail "the image is too large for a ROM to run past its end"
if [ "$patch" = offset ]; then
  put_word "$work/error.iso" $((0x7F000000)) $((table + 28))
else
  put_word "$work/error.iso" $((16 << 20)) $((table + 32))
fi

predict() { "$boot_frame" "$work/error.iso" "$1" "$work/$2.ppm" "${@:3}" && convert "$work/$2.ppm" -resize '320x240!' "$work/$2.png" ||
  fail "boot_frame $1"; }
predict - message "roms/broken.gba CANNOT BE READ FROM THE DISC."
predict - other_message "roms/broken.gba IS NOT A ROM THAT CAN BE PLAYED ($([ "$patch" = offset ] && echo 4194304 || echo 16777216) BYTES)."
predict - menu

dolphin_start "$work/error.iso" pipe
# Waits (up to $2 s) for the screen to match the picture $1 and to be
# clearly closer to it than to the pictures named after it.
wait_screen() {
  local want="$1" seconds="$2" s="" miss other
  shift 2
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || fail "the emulator stopped"
    sleep 1
    screen_shot "$work/shot.png" "" -resize '320x240!' || continue
    s="$(score_against "$work/$want.png")"
    [ -n "$s" ] && better "$s" "$TOLERANCE" || continue
    for other in "$@"; do
      miss="$(score_against "$work/$other.png")"
      clearly_better "$s" "$miss" || fail "the screen is not clearly the $want (RMSE $s) rather than the $other ($miss)"
      echo "  the $other: RMSE $miss"
    done
    echo "the $want: RMSE $s"
    return 0
  done
  cp "$work/shot.png" "${TMPDIR:-/tmp}/kessra-error-last.png" 2>/dev/null
  fail "no $want on the screen within $seconds s (last RMSE ${s:-none}; screenshot in ${TMPDIR:-/tmp}/kessra-error-last.png)"
}
wait_screen menu 30
press A
wait_screen message 60 menu other_message
grep -a -q "kessra: play" "$work/dolphin.log" && fail "the game was played"
# A start past the end may be refused before the drive is asked.
[ "$patch" = offset ] || grep -a -q "could not be read" "$work/dolphin.log" ||
  fail "the emulator's log shows no failed disc read"
press B
wait_screen menu 10 message
echo "ok"
