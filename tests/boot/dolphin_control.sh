#!/usr/bin/env bash
# The controller in a game on the console program, in the emulator (headless,
# under Xvfb, the controller through the emulator's pipe input), with the key
# display ROM (tests/emu/roms/video_keys.c): a box per handheld key, lit while
# held, and a bar that grows with the time played.
#
#   dolphin_control.sh keys KESSRA ROM_DIR
#       buttons, D-pad and main stick held in turn light the boxes of the
#       handheld keys they stand for, and no other;
#   dolphin_control.sh pause KESSRA ROM_DIR
#       the pause menu freezes the game, "restart" starts it again (the bar
#       back to its start), "back to the game list" shows the menu as it was
#       before the game, and A there plays the game again.
#
# Skipped (77) where the emulator, the X tools or the test ROM are missing.
set -uo pipefail
mode="$1" kessra="$2" rom_dir="$3"
source "$(dirname "$0")/dolphin_common.sh"
case "$mode" in keys | pause) ;; *) fail "unknown mode $mode" ;; esac
dolphin_require
rom="$rom_dir/video_keys.gba"
[ -f "$rom" ] || { echo "test ROM video_keys.gba is missing: skipping"; exit 77; }
dolphin_workdir

# The image holds the one ROM, played at zoom 0: the handheld picture at
# twice its size at (80, 80) of the screen.
mkdir "$work/roms"
cp "$rom" "$work/roms/video_keys.gba" && truncate -s 4M "$work/roms/video_keys.gba"
"$kessra" -o "$work/play.iso" -d "$work/roms" -v "CONTROL TEST" -ds 1 -dz 0 >/dev/null ||
  fail "kessra could not build the image"

KEY_NAMES=(A B SELECT START RIGHT LEFT UP DOWN R L)
# The handheld picture of the screen, at the handheld's size.
shoot_game() { screen_shot "$1" 480x320+80+80 -filter box -resize '240x160!'; }
# The keys whose boxes are lit in the handheld picture $1 (in key order,
# joined by +): the middle of each box, brighter than halfway.
keys_lit() {
  local i lit="" mean
  for i in "${!KEY_NAMES[@]}"; do
    mean="$(convert "$1" -crop "20x20+$((18 + 46 * (i % 5)))+$((16 + 56 * (i / 5)))" +repage \
      -colorspace gray -format '%[fx:mean]' info: 2>/dev/null)" || return 1
    better 0.4 "$mean" && lit="$lit+${KEY_NAMES[$i]}"
  done
  echo "${lit#+}"
}
# Waits (up to $2 s) until the screen shows the keys $1 lit; prints what it
# saw last otherwise.
wait_keys() {
  local deadline=$((SECONDS + $2)) seen=""
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || { echo "nothing: the emulator stopped"; return 1; }
    shoot_game "$work/game.png" && seen="$(keys_lit "$work/game.png")" && [ "$seen" = "$1" ] && return 0
    sleep 0.5
  done
  echo "${seen:-nothing}"
  return 1
}
# The bar's length in the handheld picture $1, in handheld pixels.
bar_length() {
  convert "$1" -crop 224x8+8+128 +repage -colorspace gray -threshold 50% -format '%[fx:round(mean*224)]' info:
}

dolphin_start "$work/play.iso" pipe
sleep 8 # the menu
screen_shot "$work/menu.png" "" -filter box -resize '160x120!'
press A
wait_log "kessra: play" 30 >/dev/null
# The game's picture: what our core draws with no key held (the bar aside,
# which is short yet).
"$kessra" run "$rom" -frames 30 -screenshot "$work/idle.png" >/dev/null || fail "kessra run $rom"
deadline=$((SECONDS + 30)) s=""
until [ -n "$s" ] && better "$s" "$TOLERANCE"; do
  [ $SECONDS -lt $deadline ] || fail "the game's picture did not come (last RMSE ${s:-none})"
  sleep 1
  shoot_game "$work/shot.png" && s="$(score_against "$work/idle.png")"
done
echo "the game's picture: RMSE $s"

if [ "$mode" = keys ]; then
  # The controller's buttons held, then the handheld keys they stand for.
  steps=(
    "PRESS A;PRESS Z;PRESS D_RIGHT;PRESS D_UP;PRESS R|A+SELECT+RIGHT+UP+R"
    "PRESS B;PRESS START;PRESS D_LEFT;PRESS D_DOWN;PRESS L|B+START+LEFT+DOWN+L"
    "SET MAIN 1 1|RIGHT+UP"
    "SET MAIN 0 0|LEFT+DOWN"
    "SET MAIN 0.5 0.55;PRESS X|"
  )
  for step in "${steps[@]}"; do
    commands="${step%|*}" want="${step#*|}"
    # What our core draws for those keys, read the same way.
    "$kessra" run "$rom" -frames 60 -keys "10:${want:--}" -screenshot "$work/want.png" >/dev/null || fail "kessra run -keys 10:$want"
    [ "$(keys_lit "$work/want.png")" = "$want" ] || fail "kessra run shows $(keys_lit "$work/want.png") for $want"
    IFS=';' read -r -a list <<<"$commands"
    for command in "${list[@]}"; do echo "$command" >&5; done
    seen="$(wait_keys "$want" 10)" || fail "held ${commands//;/, }: lit ${seen:-nothing}, want ${want:-nothing}"
    echo "held ${commands//;/, }: lit ${want:-nothing}"
    for command in "${list[@]}"; do
      case "$command" in PRESS*) echo "RELEASE ${command#PRESS }" >&5 ;; SET*) echo "SET MAIN 0.5 0.5" >&5 ;; esac
    done
    seen="$(wait_keys "" 10)" || fail "released ${commands//;/, }: still lit $seen"
  done
else
  # Bar lengths on the screen.
  bar_now() { shoot_game "$work/bar.png" && bar_length "$work/bar.png"; }
  # Waits (up to $2 s) for a bar longer than $1; prints the length seen last.
  wait_bar() {
    local deadline=$((SECONDS + $2)) length=0
    while [ $SECONDS -lt $deadline ]; do
      length="$(bar_now)" && [ "$length" -gt "$1" ] && break
      sleep 1
    done
    echo "$length"
    [ "$length" -gt "$1" ]
  }
  length="$(wait_bar 18 40)" || fail "the bar stayed at $length, not beyond 18, for 40 s"
  pause_menu
  frozen="$(bar_now)"
  sleep 3
  [ "$(bar_now)" = "$frozen" ] || fail "the game went on under the pause menu (bar $frozen, then $(bar_now))"
  echo "paused: the bar stays at $frozen"
  press B # continue
  longer="$(wait_bar "$frozen" 10)" || fail "continue: the bar stayed at $longer"
  echo "continued: the bar grows to $longer"
  pause_menu
  press D_DOWN
  press A # restart
  sleep 2
  again="$(bar_now)"
  [ "$again" -lt "$longer" ] || fail "restart: the bar is at $again, was $longer"
  echo "restarted: the bar is back at $again"
  screen_shot "$work/game_screen.png" "" -filter box -resize '160x120!'
  pause_menu
  press D_DOWN
  press D_DOWN
  press A # back to the game list
  deadline=$((SECONDS + 20)) s=""
  until [ -n "$s" ] && better "$s" "$TOLERANCE"; do
    [ $SECONDS -lt $deadline ] || fail "the game list did not come back (last RMSE ${s:-none} against the menu)"
    sleep 1
    screen_shot "$work/shot.png" "" -filter box -resize '160x120!' && s="$(score_against "$work/menu.png")"
  done
  miss="$(score_against "$work/game_screen.png")"
  echo "back to the game list: RMSE $s against the menu, $miss against the game"
  clearly_better "$s" "$miss" || fail "the screen is not clearly the menu"
  plays="$(log_count "kessra: play")"
  press A
  wait_more_lines "kessra: play" "$plays" 30 "A on the game list did not start the game again"
  echo "A on the game list plays again"
fi
echo "ok"
