#!/usr/bin/env bash
# Plays the two-square sound test ROM on the console program in the emulator
# (headless, under Xvfb) with the emulator recording what the audio DMA
# plays (its DumpAudio setting: a WAV in the user folder's Dump/Audio), and
# checks the recording with wav_tone.py: the left square at 439.8 Hz and the
# right one at 879.7 Hz within 1 %, no step where the sound starts or stops
# (the gaps when the ring runs dry, the pause, the resume, leaving the game),
# the pause a silence (at least 0.5 s of the emulator's time: it may run
# slower than real time on a busy machine) and silence after leaving the game.
#
#   dolphin_sound.sh KESSRA ROM_DIR
#
# The game starts its tone at full level after 54 ms of silence (as `kessra
# run -audio` records it too), so the first stretch may start with a step.
# Prints the program's speed and sound lines. Skipped (77) where the
# emulator, the X tools, python3 or the test ROM are missing.
set -uo pipefail
kessra="$1" rom_dir="$2"
here="$(dirname "$0")"
source "$here/dolphin_common.sh"
dolphin_require
command -v python3 >/dev/null || { echo "python3 is not installed: skipping"; exit 77; }
[ -f "$rom_dir/sound_square.gba" ] || { echo "test ROM sound_square.gba is missing: skipping"; exit 77; }
dolphin_workdir

mkdir "$work/roms"
cp "$rom_dir/sound_square.gba" "$work/roms/" && truncate -s 4M "$work/roms/sound_square.gba"
"$kessra" -o "$work/sound.iso" -d "$work/roms" -v "SOUND TEST" -ds 1 >/dev/null || fail "kessra could not build the image"

dolphin_start "$work/sound.iso" pipe -C Dolphin.DSP.DumpAudio=True -C "Dolphin.DSP.Backend=No Audio Output"

sleep 8 # the menu
press A
wait_log "kessra: play" 30 >/dev/null
sleep 6        # playing
pause_menu
sleep 2        # paused: the sound fades out
press B        # B continues
sleep 5        # playing again
pause_menu
press D_DOWN
press D_DOWN
press A        # back to the game list: the sound fades out and stops
sleep 2
grep -a -o -E "kessra: (fps|ms per frame|sound).*" "$work/dolphin.log" | sed "s/^/  /"
stop "$dolphin_pid"
dolphin_pid=""

dumps=("$work"/user/Dump/Audio/*dspdump.wav)
[ -f "${dumps[0]}" ] || fail "the emulator recorded no sound (no Dump/Audio/*dspdump.wav)"
[ ${#dumps[@]} = 1 ] || fail "more than one recording: ${dumps[*]}"
if ! python3 "$here/wav_tone.py" "${dumps[0]}" 439.839 879.678 --onset-step --min-gap 0.5 --min-end-silence 0.5; then
  cp "${dumps[0]}" "${TMPDIR:-/tmp}/kessra-sound-last.wav" 2>/dev/null
  fail "the recording does not hold the ROM's sound as it should (kept in ${TMPDIR:-/tmp}/kessra-sound-last.wav)"
fi
echo "ok"
