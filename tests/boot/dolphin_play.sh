#!/usr/bin/env bash
# Plays games of a freshly built image in the emulator (headless, under
# Xvfb), A pressed on the menu through the emulator's pipe input.
#
#   dolphin_play.sh picture KESSRA ROM_DIR ZOOM
#       two video test ROMs; the game started must show the frame that
#       `kessra run ROM -frames N` draws, scaled and placed as the zoom
#       says, within a tolerance, and clearly closer than the other ROM's;
#   dolphin_play.sh speed KESSRA ROM_DIR
#       the CPU-heavy test ROM and a video ROM, each played in turn (the
#       pause menu's "back to the game list" in between): prints the
#       program's speed lines.
#
# Both print the speed lines (kessra: fps ...) from the emulator's log; they
# are figures of the emulator's estimate of console time, not checked here.
# Skipped (77) where the emulator, the X tools or the test ROMs are missing.
set -uo pipefail
mode="$1" kessra="$2" rom_dir="$3" zoom="${4:-0}"
source "$(dirname "$0")/dolphin_common.sh"
dolphin_require
for rom in video_lines video_sprites cpu_loop; do
  [ -f "$rom_dir/$rom.gba" ] || { echo "test ROM $rom.gba is missing: skipping"; exit 77; }
done
dolphin_workdir

# --- the image -------------------------------------------------------------
# The image takes ROMs of 4, 8 or 16 MiB: the test ROMs are padded with
# zeros, to a different size each, so the loading covers them all.
mkdir "$work/roms"
add_rom() { cp "$rom_dir/$1.gba" "$work/roms/$1.gba" && truncate -s "$2" "$work/roms/$1.gba"; }
if [ "$mode" = picture ]; then
  add_rom video_lines 16M && add_rom video_sprites 4M
else
  add_rom cpu_loop 8M && add_rom video_lines 4M
fi
"$kessra" -o "$work/play.iso" -d "$work/roms" -v "PLAY TEST" -ds 1 -dz "$zoom" >/dev/null ||
  fail "kessra could not build the image"

dolphin_start "$work/play.iso" pipe
header_title() { dd if="$1" bs=1 skip=160 count=12 status=none | tr -d '\0' | sed 's/ *$//'; }
speed_lines() { grep -a -o -E "kessra: (fps|ms per frame).*" "$work/dolphin.log" | tail -n "+${2:-1}" | sed "s/^/  $1: /"; }

sleep 8 # the menu
press A
played="$(wait_log "kessra: play" 30 | sed 's/.*kessra: play //' | tr -d '\r')"
echo "playing: $played"

if [ "$mode" = picture ]; then
  want="" other=""
  for rom in "$work"/roms/*.gba; do
    if [ "$(header_title "$rom")" = "$played" ]; then want="$rom"; else other="$rom"; fi
  done
  [ -n "$want" ] && [ -n "$other" ] || fail "the game played ($played) is not one of the image's ROMs"
  # Both video ROMs hold their last phase's picture from frame 288 on.
  "$kessra" run "$want" -frames 400 -screenshot "$work/want_game.png" >/dev/null || fail "kessra run $want"
  "$kessra" run "$other" -frames 400 -screenshot "$work/other_game.png" >/dev/null || fail "kessra run $other"
  read -r rx ry rw rh < <(case "$zoom" in 1) echo 0 26 640 427 ;; 2) echo 0 0 640 480 ;; *) echo 80 80 480 320 ;; esac)
  # Compared at half the handheld's size, each side averaged over its
  # pixels: the emulator's own scaling of the window does not count.
  compared='120x80!'
  for name in want_game other_game; do
    convert "$work/$name.png" -filter box -resize "$compared" "$work/$name.ppm"
  done
  # The picture's rectangle of the screen.
  shoot_rect() { screen_shot "$work/shot.png" "${rw}x${rh}+${rx}+${ry}" -filter box -resize "$compared"; }
  deadline=$((SECONDS + 90)) s=""
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || fail "the emulator stopped"
    sleep 2
    shoot_rect || continue
    s="$(score_against "$work/want_game.ppm")"
    [ -n "$s" ] && better "$s" "$TOLERANCE" && break
  done
  [ -n "$s" ] && better "$s" "$TOLERANCE" || {
    cp "$work/shot.png" "${TMPDIR:-/tmp}/kessra-play-last.png" 2>/dev/null
    fail "the game's picture never matched (last RMSE ${s:-none}; screenshot in ${TMPDIR:-/tmp}/kessra-play-last.png)"
  }
  # For the documentation: the whole screen, when a file is named for it.
  if [ -n "${KESSRA_PLAY_SCREEN:-}" ]; then
    screen_shot "$KESSRA_PLAY_SCREEN"
  fi
  miss="$(score_against "$work/other_game.ppm")"
  echo "picture: RMSE $s, the other ROM's picture: RMSE $miss"
  clearly_better "$s" "$miss" || fail "the picture is not clearly closer to $played"
  wait_log "kessra: fps" 60 >/dev/null
  speed_lines "$played"
else
  wait_log "kessra: fps" 120 >/dev/null
  sleep 12 # a second line
  speed_lines "$played"
  # Pause, down twice, A: back to the game list; then the next game.
  pause_menu
  press D_DOWN
  press D_DOWN
  press A
  sleep 4
  press D_DOWN
  lines_before="$(log_count "kessra: play")"
  press A
  wait_more_lines "kessra: play" "$lines_before" 30 "the pause menu did not lead back to the game list"
  second="$(grep -a "kessra: play" "$work/dolphin.log" | tail -n 1 | sed 's/.*kessra: play //' | tr -d '\r')"
  echo "then playing: $second"
  [ "$second" != "$played" ] || fail "the second game started is the first one again"
  fps_before="$(log_count "kessra: fps")"
  wait_more_lines "kessra: fps" "$fps_before" 120 "no speed line for $second"
  speed_lines "$second" $((2 * fps_before + 1))
fi
echo "ok"
