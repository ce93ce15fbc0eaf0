#!/usr/bin/env bash
# A game's save kept on the memory card in slot A, in the emulator (headless,
# under Xvfb), with save test ROMs played from a kessra disc.
#
#   dolphin_save.sh card KESSRA CARD_TOOL ROM_DIR
#       the counting ROM (it counts its starts in SRAM and changes its save
#       every frame, so the program writes only when the player pauses or
#       leaves). First without a card: the game plays and the program says
#       so, once, in a notice on the screen. Then on a blank card made by
#       card_tool that carries another program's file: the save is written
#       at the pause, not before; the emulator is stopped and started again
#       and the ROM shows its second start, as `kessra run -save` draws it
#       with the save read back from the card. The other program's file
#       must come through byte for byte.
#   dolphin_save.sh refused KESSRA CARD_TOOL ROM_DIR
#       the SRAM ROM (it writes its pattern once) on a card whose directory
#       is damaged, then on a full one: the game plays, the program says
#       why once, the damaged card is not written at all, the full one keeps
#       its other file.
#   dolphin_save.sh fresh KESSRA CARD_TOOL ROM_DIR
#       the 8 KiB EEPROM ROM, then the 128 KiB flash ROM (17 blocks, the
#       largest save), on a card the emulator formats itself (none there at
#       start): each save, written after a quiet second, must equal what
#       `kessra run -save` keeps; the card's date is the clock's.
#
# Skipped (77) where the emulator, the X tools or the test ROM are missing.
set -uo pipefail
mode="$1" kessra="$2" card_tool="$3" rom_dir="$4"
source "$(dirname "$0")/dolphin_common.sh"
dolphin_require
case "$mode" in
  card) rom_name=save_counter ;;
  refused) rom_name=save_sram ;;
  *) rom_name=save_flash128 ;;
esac
rom="$rom_dir/$rom_name.gba"
[ -f "$rom" ] || { echo "test ROM $rom_name.gba is missing: skipping"; exit 77; }
dolphin_workdir

# The fresh mode's disc also carries the 8 KiB EEPROM ROM, whose size the
# program learns only when the game first uses it.
eeprom="$rom_dir/save_eeprom8k.gba"
[ "$mode" != fresh ] || [ -f "$eeprom" ] || { echo "test ROM save_eeprom8k.gba is missing: skipping"; exit 77; }
mkdir "$work/roms"
for r in "$rom" $([ "$mode" = fresh ] && echo "$eeprom"); do
  cp "$r" "$work/roms/" && truncate -s 4M "$work/roms/$(basename "$r")"
done
"$kessra" -o "$work/save.iso" -d "$work/roms" -v "SAVE TEST" -ds 1 -dz 0 >/dev/null ||
  fail "kessra could not build the image"
disc_id="$(head -c 6 "$work/save.iso")"
file_of() { # the card file's name for ROM $1
  echo "ks_$(dd if="$1" bs=1 skip=172 count=4 status=none)_$(dd if="$1" bs=1 skip=160 count=12 status=none | tr -d '\0')"
}
file_name="$(file_of "$rom")"
# What the ROM leaves in its save memory after its first second, kept by
# the host's run, and its picture then.
"$kessra" run "$rom" -frames 60 -save "$work/host.sav" -screenshot "$work/first.png" >/dev/null ||
  fail "kessra run -save"
# The emulator puts the disc's region into the card file's name (the
# images say Japan): named so already, the file is the one it opens.
card="$work/card.JAP.raw" other="other program's save"
with_card=(-C Dolphin.Core.SlotA=1 -C "Dolphin.Core.MemcardAPath=$card")

# Waits (up to $3 s) until the log has more than $2 lines matching $1.
wait_count() { wait_more_lines "$1" "$2" "$3" "no log line '$1' within $3 s"; }
save_lines() { grep -a -o -E "kessra: (save|card).*" "$work/dolphin.log" | tr -d '\r' | sed "s/^/  $1: /"; }
# Starts the emulator and, with A on the menu, the disc's only game.
start_game() {
  dolphin_start "$work/save.iso" pipe ${dolphin_options[@]+"${dolphin_options[@]}"}
  sleep 8 # the menu
  press A
}
play() {
  start_game
  wait_count "kessra: play" 0 30
  wait_count "kessra: save" 0 30
}
# The pause menu, then "back to the game list".
leave() {
  pause_menu
  press D_DOWN
  press D_DOWN
  press A
}
end_run() {
  exec 5>&-
  stop "$dolphin_pid" # first: the emulator writes the card file as it stops
  stop "$xvfb_pid"
  dolphin_pid="" xvfb_pid=""
  cp "$work/dolphin.log" "$work/run$1.log"
  rm -f "$work/user/Pipes/pipe1" "$work/display"
}
# The card must hold the file $1 (default: the ROM's), with its head; its
# save, as long as $2 (default: host.sav), goes to $work/kept.sav.
check_card() {
  local name="${1:-$file_name}" like="${2:-$work/host.sav}"
  for f in "$work"/card*.raw; do [ "$f" = "$card" ] || fail "the emulator used another card file: $f"; done
  [ -f "$card" ] || fail "no card file $card"
  "$card_tool" cat "$card" "$disc_id" "$name" "$work/kept.bin" || fail "the save $name is not on the card"
  [ "$(dd if="$work/kept.bin" bs=1 skip=64 count=4 status=none)" = KSAV ] || fail "the save file has no KSAV head"
  dd if="$work/kept.bin" of="$work/kept.sav" bs=128 skip=$((0x880 / 128)) count=$(($(stat -c %s "$like") / 128)) \
    status=none
}
check_other() {
  "$card_tool" cat "$card" QOTH77 "$other" "$work/other_after.bin" || fail "the other program's file is gone"
  cmp -s "$work/other_before.bin" "$work/other_after.bin" || fail "the other program's file changed"
}
make_card() { # MBIT BLOCKS: a blank card with another program's file
  rm -f "$card"
  "$card_tool" format "$card" "$1" && "$card_tool" add-other "$card" "$2" 7 &&
    "$card_tool" cat "$card" QOTH77 "$other" "$work/other_before.bin" || fail "card_tool could not make the card"
}
# The mean colour ("R G B", 0..255) of a part (GEOMETRY, e.g. 32x20+48+140)
# of a picture, taken as 240 x 160 (the handheld's screen) or as it is.
colour_of() {
  convert "$1" ${3:+-resize "$3"} -crop "$2" +repage -resize '1x1!' -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}
distance() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " ");
  d = 0; for (i = 1; i <= 3; ++i) d += (x[i] - y[i]) ^ 2; printf "%d\n", sqrt(d) }'; }
reddish() { local r g b; read -r r g b <<<"$1"; [ $((r - g)) -gt 15 ] && [ $((r - b)) -gt 15 ]; }

case "$mode" in
fresh)
  "$kessra" run "$eeprom" -frames 60 -save "$work/host_eeprom.sav" -screenshot "$work/eeprom.png" >/dev/null ||
    fail "kessra run -save"
  dolphin_options=("${with_card[@]}")
  play # the first game of the menu, then the second
  wait_count "kessra: save kept" 0 30
  leave
  sleep 3
  press D_DOWN
  press A
  wait_count "kessra: play" 1 30
  wait_count "kessra: save kept" 1 30
  [ "$(log_count "kessra: save not loaded, status 1")" = 2 ] || fail "the games did not start without a save"
  save_lines fresh
  end_run 1
  "$card_tool" list "$card" | sed 's/^/  card: /'
  check_card "$(file_of "$eeprom")" "$work/host_eeprom.sav"
  cmp -s "$work/kept.sav" "$work/host_eeprom.sav" || fail "the EEPROM save on the card is not what the ROM wrote"
  check_card
  cmp -s "$work/kept.sav" "$work/host.sav" || fail "the flash save on the card is not what the ROM wrote"
  # Dated from the console's clock, which the emulator sets from the host's.
  dated="$("$card_tool" list "$card" | awk -v n="$file_name" '$2 == n { print $5 }')"
  now=$(($(date -u +%s) - $(date -u -d 2000-01-01 +%s)))
  echo "dated $dated, now $now (seconds since 2000)"
  [ -n "$dated" ] && [ $((now - dated)) -ge 0 ] && [ $((now - dated)) -lt 300 ] || fail "the save's date is not now"
  ;;

refused)
  dolphin_options=("${with_card[@]}")
  refused_run() { # N STATUS WHAT NOTICE: plays until the ROM's write is refused
    play
    wait_count "kessra: save not kept, status $2" 0 20
    save_lines "$3"
    [ "$(log_count "kessra: card: $4")" = 1 ] && [ "$(log_count "kessra: card:")" = 1 ] ||
      fail "the $3 card was not told exactly once"
    end_run "$1"
  }
  # Both copies of the directory fail their checksums.
  make_card 16 3
  for copy in 1 2; do printf '\0' | dd of="$card" bs=1 seek=$((copy * 8192 + 5)) conv=notrunc status=none; done
  cp "$card" "$work/damaged.raw"
  refused_run 1 4 damaged "MEMORY CARD IN SLOT A IS DAMAGED"
  cmp -s "$card" "$work/damaged.raw" || fail "the damaged card was written"
  # 4 Mbit, 59 blocks for files: 57 taken, the save needs 5.
  make_card 4 57
  refused_run 2 3 full "MEMORY CARD IN SLOT A IS FULL"
  check_other
  "$card_tool" cat "$card" "$disc_id" "$file_name" "$work/kept.bin" 2>/dev/null && fail "a save was put on the full card"
  ;;

card)
  # --- no card: the notice shows between the loading screen and the game;
  # pictures of its place until the game starts, and after.
  dolphin_options=(-C Dolphin.Core.SlotA=255)
  start_game
  notice="" deadline=$((SECONDS + 30))
  while [ "$(log_count "kessra: play")" = 0 ]; do
    [ $SECONDS -lt $deadline ] || fail "the game did not start without a card"
    screen_shot "$work/notice.png" && seen="$(colour_of "$work/notice.png" 608x72+16+400)" && reddish "$seen" &&
      notice="$seen"
    sleep 0.3
  done
  sleep 4
  screen_shot "$work/after.png" || fail "no screenshot"
  after="$(colour_of "$work/after.png" 608x72+16+400)"
  leave # the pause tries again: still no card, said no more
  wait_count "kessra: save not kept, status 2" 0 20
  save_lines "no card"
  [ "$(log_count "kessra: card:")" = 1 ] || fail "the missing card was not told exactly once"
  echo "the notice's place: ${notice:-never red} while shown, $after after"
  [ -n "$notice" ] && ! reddish "$after" || fail "the notice was not on the screen for a while"
  end_run 0

  # --- first start with a card: written when paused, not before.
  make_card 16 3
  dolphin_options=("${with_card[@]}")
  play
  sleep 4
  [ "$(log_count "kessra: save kept")" = 0 ] || fail "a save that never stays unchanged was written before the pause"
  leave
  wait_count "kessra: save kept" 0 20
  sleep 2
  save_lines first
  end_run 1
  "$card_tool" list "$card" | sed 's/^/  card: /'
  check_card
  # As the host's run leaves it, but for the ticker byte (0x300, byte 769
  # as cmp counts).
  [ "$(cmp -l "$work/kept.sav" "$work/host.sav" | awk '$1 != 769' | wc -l)" = 0 ] ||
    fail "the card does not hold the first start's save"
  check_other

  # --- second start: the ROM counts two.
  play
  [ "$(log_count "kessra: save loaded 32768")" = 1 ] || fail "the second start did not load the save"
  "$kessra" run "$rom" -frames 60 -save "$work/kept.sav" -screenshot "$work/second.png" >/dev/null ||
    fail "kessra run with the kept save"
  sleep 3
  # The handheld's picture: the zoom 0 rectangle (80, 80, 480 x 320) of the
  # screen; the ROM's second block (32 x 20 at 48, 140).
  screen_shot "$work/shot.png" || fail "no screenshot"
  convert "$work/shot.png" -crop 480x320+80+80 +repage "$work/game.png"
  block=32x20+48+140
  seen="$(colour_of "$work/game.png" $block '240x160!')"
  want="$(colour_of "$work/second.png" $block)" first="$(colour_of "$work/first.png" $block)"
  near="$(distance "$seen" "$want")" far="$(distance "$seen" "$first")"
  save_lines second
  echo "second block: seen $seen, second start $want (distance $near), first start $first (distance $far)"
  [ "$near" -lt 40 ] && [ "$far" -gt $((near + 60)) ] || {
    cp "$work/shot.png" "${TMPDIR:-/tmp}/kessra-save-last.png" 2>/dev/null
    fail "the game did not count its second start (screenshot in ${TMPDIR:-/tmp}/kessra-save-last.png)"
  }
  end_run 2
  check_other
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "ok"
