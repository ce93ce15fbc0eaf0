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

# dolphin_start ISO [pipe]: the emulator on ISO, its log in $work/dolphin.log;
# with "pipe" the controller in port 1 reads $user/Pipes/pipe1, held open on
# descriptor 5 (press/release with `press BUTTON`). Settings in the array
# dolphin_options (-C System.Section.Key=Value ...) are passed on.
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
  dolphin-emu-nogui -p x11 -u "$user" -v OGL -e "$1" \
    -C Logger.Logs.OSREPORT=True -C Logger.Options.WriteToConsole=True \
    ${dolphin_options[@]+"${dolphin_options[@]}"} >"$work/dolphin.log" 2>&1 &
  dolphin_pid=$!
}

press() { echo "PRESS $1" >&5; sleep 0.3; echo "RELEASE $1" >&5; sleep 0.4; }
better() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
# RMSE (0..1) between $work/shot.png and the picture $1 (same size).
score_against() {
  compare -metric RMSE "$work/shot.png" "$1" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}
