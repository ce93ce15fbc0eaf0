#!/usr/bin/env bash
# A game's save kept on the memory card in slot A, in the emulator (headless,
# under Xvfb), with a save test ROM played from a kessra disc: it finds no
# save, writes its pattern (blue bar), and the program writes the save
# memory to the card; the file on the card must hold what `kessra run -save`
# keeps for the same frames.
#
#   dolphin_save.sh card KESSRA CARD_TOOL ROM_DIR
#       the SRAM ROM, first without a card: the game plays and the program says so, once,
#       in a notice on the screen; then on a blank card made by card_tool
#       that carries another program's file; the emulator is stopped and
#       started again, and the ROM finds its pattern (green bar, as
#       `kessra run -save` draws it with the file read back from the card).
#       The other program's file must come through byte for byte.
#   dolphin_save.sh refused KESSRA CARD_TOOL ROM_DIR
#       the SRAM ROM on a card whose directory is damaged, then on a full
#       one: the game plays, the program says why once, and the damaged
#       card is not written at all, the full one keeps its other file.
#   dolphin_save.sh fresh KESSRA CARD_TOOL ROM_DIR
#       the 128 KiB flash ROM on a card the emulator formats itself (none
#       there at start).
#
# Skipped (77) where the emulator, the X tools or the test ROM are missing.
set -uo pipefail
mode="$1" kessra="$2" card_tool="$3" rom_dir="$4"
source "$(dirname "$0")/dolphin_common.sh"
dolphin_require
# The fresh mode plays the 128 KiB flash ROM (17 blocks, the largest save),
# the others the SRAM one (32 KiB).
if [ "$mode" = fresh ]; then rom_name=save_flash128 save_size=131072; else rom_name=save_sram save_size=32768; fi
rom="$rom_dir/$rom_name.gba"
[ -f "$rom" ] || { echo "test ROM $rom_name.gba is missing: skipping"; exit 77; }
dolphin_workdir

mkdir "$work/roms"
cp "$rom" "$work/roms/" && truncate -s 4M "$work/roms/$rom_name.gba"
"$kessra" -o "$work/save.iso" -d "$work/roms" -v "SAVE TEST" -ds 1 -dz 0 >/dev/null ||
  fail "kessra could not build the image"
disc_id="$(head -c 6 "$work/save.iso")"
file_name="ks_$(dd if="$rom" bs=1 skip=172 count=4 status=none)_$(dd if="$rom" bs=1 skip=160 count=12 status=none | tr -d '\0')"

# The emulator puts the disc's region into the card file's name (the
# images say Japan): named so already, the file is the one it opens.
card="$work/card.JAP.raw" other="other program's save"
if [ "$mode" = card ]; then
  "$card_tool" format "$card" 16 && "$card_tool" add-other "$card" 3 7 &&
    "$card_tool" cat "$card" QOTH77 "$other" "$work/other_before.bin" || fail "card_tool could not make the card"
fi
# What the ROM leaves in its save memory, kept by the host's run, and its
# picture without a save.
"$kessra" run "$rom" -frames 60 -save "$work/host.sav" -screenshot "$work/blank.png" >/dev/null || fail "kessra run -save"

# Waits (up to $3 s) until the log has more than $2 lines matching $1.
wait_count() {
  local deadline=$((SECONDS + $3))
  while [ "$(grep -a -c "$1" "$work/dolphin.log")" -le "$2" ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || fail "the emulator stopped"
    [ $SECONDS -lt $deadline ] || fail "no log line '$1' within $3 s"
    sleep 1
  done
}
save_lines() { grep -a -o -E "kessra: (save|card).*" "$work/dolphin.log" | tr -d '\r' | sed "s/^/  $1: /"; }
# Starts the emulator and the game (the disc's only one).
play() {
  dolphin_start "$work/save.iso" pipe
  sleep 8 # the menu
  press A
  wait_count "kessra: play" 0 30
  wait_count "kessra: save" 0 30
}
end_run() {
  exec 5>&-
  stop "$dolphin_pid" # first: the emulator writes the card file as it stops
  stop "$xvfb_pid"
  dolphin_pid="" xvfb_pid=""
  cp "$work/dolphin.log" "$work/run$1.log"
  rm -f "$work/user/Pipes/pipe1" "$work/display"
}
# The mean colour ("R G B", 0..255) of the save ROM's bar (its lines 140 to
# 159) in a picture of the handheld's screen ($1, any size).
bar_colour() {
  convert "$1" -resize '240x160!' -crop 240x20+0+140 +repage -resize '1x1!' -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}
distance() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " ");
  d = 0; for (i = 1; i <= 3; ++i) d += (x[i] - y[i]) ^ 2; printf "%d\n", sqrt(d) }'; }

# --- a damaged card, then a full one: the game plays, the card is not written
if [ "$mode" = refused ]; then
  dolphin_options=(-C Dolphin.Core.SlotA=1 -C "Dolphin.Core.MemcardAPath=$card")
  refused_run() { # N STATUS WHAT NOTICE: plays until the ROM's write is refused
    play
    wait_count "kessra: save not kept, status $2" 0 20
    save_lines "$3"
    [ "$(grep -a -c "kessra: card: $4" "$work/dolphin.log")" = 1 ] &&
      [ "$(grep -a -c "kessra: card:" "$work/dolphin.log")" = 1 ] || fail "the $3 card was not told exactly once"
    end_run "$1"
  }
  # Both copies of the directory fail their checksums.
  "$card_tool" format "$card" 16 && "$card_tool" add-other "$card" 3 7 || fail "card_tool could not make the card"
  for copy in 1 2; do printf '\0' | dd of="$card" bs=1 seek=$((copy * 8192 + 5)) conv=notrunc status=none; done
  cp "$card" "$work/damaged.raw"
  refused_run 1 4 damaged "MEMORY CARD IN SLOT A IS DAMAGED"
  cmp -s "$card" "$work/damaged.raw" || fail "the damaged card was written"
  # 4 Mbit, 59 blocks for files: 57 taken, the save needs 5.
  rm "$card"
  "$card_tool" format "$card" 4 && "$card_tool" add-other "$card" 57 7 &&
    "$card_tool" cat "$card" QOTH77 "$other" "$work/other_before.bin" || fail "card_tool could not make the card"
  refused_run 2 3 full "MEMORY CARD IN SLOT A IS FULL"
  "$card_tool" cat "$card" QOTH77 "$other" "$work/other_after.bin" || fail "the other program's file is gone"
  cmp -s "$work/other_before.bin" "$work/other_after.bin" || fail "the other program's file changed"
  "$card_tool" cat "$card" "$disc_id" "$file_name" "$work/kept.bin" 2>/dev/null && fail "a save was put on the full card"
  echo "ok"
  exit 0
fi

# --- without a card: the game plays, the program says so once --------------
shoot() { # the screen as 640 x 480, the emulator's black bars cut off
  xwd -root -silent 2>/dev/null | convert xwd:- -crop 640x480+0+0 +repage -fuzz 4% -trim +repage \
    -resize '640x480!' "$1" 2>/dev/null
}
box_colour() { # mean colour of the notice's place at the foot of the screen
  convert "$1" -crop 608x72+16+400 +repage -resize '1x1!' -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}
if [ "$mode" = card ]; then
reddish() { local r g b; read -r r g b <<<"$1"; [ $((r - g)) -gt 15 ] && [ $((r - b)) -gt 15 ]; }
dolphin_options=(-C Dolphin.Core.SlotA=255)
dolphin_start "$work/save.iso" pipe
sleep 8 # the menu
press A
# The notice shows between the loading screen and the game: pictures of
# the place it takes until the game starts.
notice="" deadline=$((SECONDS + 30))
while [ "$(grep -a -c "kessra: play" "$work/dolphin.log")" = 0 ]; do
  [ $SECONDS -lt $deadline ] || fail "the game did not start without a card"
  shoot "$work/notice.png" && seen="$(box_colour "$work/notice.png")" && reddish "$seen" && notice="$seen"
  sleep 0.3
done
wait_count "kessra: save not kept, status 2" 0 20 # the ROM's write, not kept
sleep 4
shoot "$work/after.png" || fail "no screenshot"
after="$(box_colour "$work/after.png")"
save_lines "no card"
[ "$(grep -a -c "kessra: card:" "$work/dolphin.log")" = 1 ] || fail "the missing card was not told exactly once"
echo "the notice's place: ${notice:-never red} while shown, $after after"
[ -n "$notice" ] && ! reddish "$after" || fail "the notice was not on the screen for a while"
end_run 0
fi

# --- first run: no save yet; the ROM writes its pattern ----------------------
dolphin_options=(-C Dolphin.Core.SlotA=1 -C "Dolphin.Core.MemcardAPath=$card")
play
wait_count "kessra: save kept" 0 30
grep -a -q "kessra: save not loaded, status 1" "$work/dolphin.log" || fail "the first run did not start without a save"
# Pause and go back to the game list: nothing changed since, nothing written.
echo "PRESS X" >&5; echo "PRESS Y" >&5; sleep 0.5; echo "RELEASE X" >&5; echo "RELEASE Y" >&5; sleep 0.5
press D_DOWN
press D_DOWN
press A
sleep 3
save_lines first
end_run 1
for f in "$work"/card.*.raw; do [ "$f" = "$card" ] || fail "the emulator used another card file: $f"; done

[ -f "$card" ] || fail "no card file $card"
"$card_tool" list "$card" | sed 's/^/  card: /'
"$card_tool" cat "$card" "$disc_id" "$file_name" "$work/kept.bin" || fail "the save is not on the card"
[ "$(dd if="$work/kept.bin" bs=1 skip=64 count=4 status=none)" = KSAV ] || fail "the save file has no KSAV head"
dd if="$work/kept.bin" of="$work/kept.sav" bs=128 skip=$((0x880 / 128)) count=$((save_size / 128)) status=none
cmp -s "$work/kept.sav" "$work/host.sav" || fail "the save on the card is not what the ROM wrote"
[ "$mode" = card ] || { echo "ok"; exit 0; }
"$card_tool" cat "$card" QOTH77 "$other" "$work/other_after.bin" || fail "the other program's file is gone"
cmp -s "$work/other_before.bin" "$work/other_after.bin" || fail "the other program's file changed"

# --- second run: the ROM finds its pattern ---------------------------------
play
grep -a -q "kessra: save loaded $save_size" "$work/dolphin.log" || fail "the second run did not load the save"
"$kessra" run "$rom" -frames 60 -save "$work/kept.sav" -screenshot "$work/want.png" >/dev/null ||
  fail "kessra run with the kept save"
want="$(bar_colour "$work/want.png")" blank="$(bar_colour "$work/blank.png")"
sleep 3
# The handheld's picture: the window cut to its non-black part, taken as
# 640 x 480, the zoom 0 rectangle (80, 80, 480 x 320).
xwd -root -silent 2>/dev/null | convert xwd:- -crop 640x480+0+0 +repage -fuzz 4% -trim +repage \
  -resize '640x480!' -crop 480x320+80+80 +repage "$work/shot.png" 2>/dev/null || fail "no screenshot"
seen="$(bar_colour "$work/shot.png")"
near="$(distance "$seen" "$want")" far="$(distance "$seen" "$blank")"
save_lines second
echo "bar colour: seen $seen, kept save $want (distance $near), no save $blank (distance $far)"
[ "$near" -lt 40 ] && [ "$far" -gt $((near + 60)) ] || {
  cp "$work/shot.png" "${TMPDIR:-/tmp}/kessra-save-last.png" 2>/dev/null
  fail "the game did not show its kept save (screenshot in ${TMPDIR:-/tmp}/kessra-save-last.png)"
}
grep -a -q "kessra: save kept" "$work/dolphin.log" && fail "the second run wrote a save nothing changed"
end_run 2
"$card_tool" cat "$card" QOTH77 "$other" "$work/other_after.bin" || fail "the other program's file is gone"
cmp -s "$work/other_before.bin" "$work/other_after.bin" || fail "the other program's file changed"
echo "ok"
