#!/usr/bin/env bash
# The bash completion offers options, commands, folders after -d and
# -payloads, images after -o, -payloads-from and inspect, and ROMs and PNG
# pictures for run.
# Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
completion="$1"
framework=/usr/share/bash-completion/bash_completion
[ -f "$framework" ] || { echo "bash-completion is not installed: skipping"; exit 77; }
# shellcheck disable=SC1090
source "$framework"
# shellcheck disable=SC1090
source "$completion"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir roms romsets
touch disc.iso notes.txt roms.iso game.gba shot.png sound.wav

failed=0
complete_line() { # the words typed so far, the last one being completed
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _kessra kessra "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() { # expected-reply words...
  local expected="$1"; shift
  local got
  got="$(complete_line "$@")"
  if [ "$got" != "$expected" ]; then
    echo "FAIL: '$*' completes to '$got', expected '$expected'"
    failed=1
  fi
}
expect "roms romsets" kessra -o a.iso -d ro
expect "roms romsets" kessra -payloads r
expect "disc.iso" kessra -o d
expect "roms roms.iso romsets" kessra -payloads-from ro
expect "disc.iso" kessra inspect d
expect "-d -description -dravnik -ds -dz" kessra -o a.iso -d
expect "-dravnik" kessra -o a.iso -dr
expect "-deep" kessra inspect x.iso -de
expect "export-payloads" kessra ex
expect "0 1 2" kessra -dz ""
expect "run" kessra ru
expect "game.gba" kessra run g
expect "-frames" kessra run game.gba -f
expect "-save -save-type -screenshot" kessra run game.gba -frames 60 -s
expect "flash128 flash64" kessra run game.gba -save-type f
expect "shot.png" kessra run game.gba -frames 60 -screenshot s
expect "-audio" kessra run game.gba -frames 60 -a
expect "sound.wav" kessra run game.gba -frames 60 -audio s
expect "" kessra run game.gba -keys ""
[ "$failed" -eq 0 ] && echo "completion offers what is expected"
exit "$failed"
