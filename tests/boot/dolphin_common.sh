# Shared by the emulator tests (sourced): the tools they need, a work folder
# removed at the end, the emulator under Xvfb with every process started
# here stopped by its id, the controller pipe, and picture scores.
export PATH="$PATH:/usr/games"
work="" xvfb_pid="" dolphin_pid=""
TOLERANCE=0.08

dolphin_require() {
  local tool
  for tool in dolphin-emu-nogui Xvfb xwd convert compare; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipping"; exit 77; }
  done
}

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
  [ -n "$work" ] && rm -rf "$work"
}
fail() { echo "FAIL: $*"; [ -f "$work/dolphin.log" ] && tail -n 20 "$work/dolphin.log"; exit 1; }

dolphin_workdir() {
  work="$(mktemp -d)"
  trap cleanup EXIT
}

# dolphin_start ISO [pipe|-] [-C SETTING...]: the emulator on ISO, its log in
# $work/dolphin.log; with "pipe" the controller in port 1 reads
# $user/Pipes/pipe1, held open on descriptor 5 (press/release with
# `press BUTTON`); further arguments go to the emulator.
dolphin_start() {
  local user="$work/user"
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
  if [ "${2:-}" = pipe ]; then
    mkfifo "$user/Pipes/pipe1"
    exec 5<>"$user/Pipes/pipe1" # held open for the whole run
    cat >"$user/Config/GCPadNew.ini" <<'INI'
[GCPad1]
Device = Pipe/0/pipe1
Buttons/A = `Button A`
Buttons/B = `Button B`
Buttons/X = `Button X`
Buttons/Y = `Button Y`
Buttons/Z = `Button Z`
Buttons/Start = `Button START`
Triggers/L = `Button L`
Triggers/R = `Button R`
D-Pad/Up = `Button D_UP`
D-Pad/Down = `Button D_DOWN`
D-Pad/Left = `Button D_LEFT`
D-Pad/Right = `Button D_RIGHT`
Main Stick/Up = `Axis MAIN Y +`
Main Stick/Down = `Axis MAIN Y -`
Main Stick/Left = `Axis MAIN X -`
Main Stick/Right = `Axis MAIN X +`
INI
  else
    printf '[GCPad1]\nDevice = \nOptions/Always Connected = True\n' >"$user/Config/GCPadNew.ini"
  fi
  Xvfb -displayfd 4 -screen 0 1280x1024x24 -br -nolisten tcp 4>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/display")"
  dolphin-emu-nogui -p x11 -u "$user" -v OGL -e "$1" \
    -C Logger.Logs.OSREPORT=True -C Logger.Options.WriteToConsole=True "${@:3}" >"$work/dolphin.log" 2>&1 &
  dolphin_pid=$!
}

# Buttons by the pipe's names (A B X Y Z START L R D_UP D_DOWN D_LEFT
# D_RIGHT); the main stick with `SET MAIN X Y`, each 0 to 1, 0.5 the middle.
press() { echo "PRESS $1" >&5; sleep 0.3; echo "RELEASE $1" >&5; sleep 0.4; }
# X and Y together: the game's pause menu.
pause_menu() { echo "PRESS X" >&5; echo "PRESS Y" >&5; sleep 0.5; echo "RELEASE X" >&5; echo "RELEASE Y" >&5; sleep 0.5; }
# Waits (up to $2 s) for the log line matching $1; prints it.
wait_log() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || fail "the emulator stopped"
    grep -a -m1 "$1" "$work/dolphin.log" && return 0
    sleep 1
  done
  fail "no log line '$1' within $2 s"
}
# How many log lines match $1.
log_count() { grep -a -c "$1" "$work/dolphin.log"; }
# wait_more_lines PATTERN COUNT SECONDS WHAT: waits for more than COUNT log
# lines matching PATTERN; fails with WHAT after SECONDS.
wait_more_lines() {
  local deadline=$((SECONDS + $3))
  while [ "$(log_count "$1")" -le "$2" ]; do
    kill -0 "$dolphin_pid" 2>/dev/null || fail "the emulator stopped"
    [ $SECONDS -lt $deadline ] || fail "$4"
    sleep 1
  done
}
# screen_shot OUT [CROP [CONVERT OPTION...]]: the emulator's screen (its window cut
# to the non-black part, as it keeps the screen's shape with bars at the
# sides, taken as 640 x 480), cut to CROP of it when given, into OUT.
screen_shot() {
  xwd -root -silent 2>/dev/null | convert xwd:- -crop 640x480+0+0 +repage -fuzz 4% -trim +repage \
    -resize '640x480!' ${2:+-crop "$2" +repage} "${@:3}" "$1" 2>/dev/null
}
better() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
# Whether a picture's score $1 is clearly better than another's, $2.
clearly_better() { better "$(awk -v w="$1" 'BEGIN { print w * 1.5 + 0.005 }')" "$2"; }
# RMSE (0..1) between $work/shot.png and the picture $1 (same size).
score_against() {
  compare -metric RMSE "$work/shot.png" "$1" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}
