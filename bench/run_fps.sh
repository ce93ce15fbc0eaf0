#!/usr/bin/env bash
# Frames per second of `kessra run` (the tool's own handheld core) against the
# reference emulator (Debian's libmgba, through the tests' harness: emu_fps),
# on the same ROMs, the two alternating from round to round: our own test ROMs
# (build/<dir>/tests/emu/roms) and the shared suites' ROMs
# (/work/shared/gba-test-roms, KESSRA_SHARED_ROMS to move them). Each side times
# the frames alone, from power-on to the last one, and prints the same line;
# the table shows the medians and our share of the reference's rate. Then the
# console build's code size (llvm-size over the PowerPC library's objects) and
# the size of the core's state, sizeof(emu::Gba).
# Needs the build with its tests (emu_fps) and libmgba-dev; not part of CI.
# Usage: bench/run_fps.sh [build-dir]   (FRAMES=N, default 600; ROUNDS=N, default 3;
#        LIMIT=SECONDS a run may take, default 120)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/bench_setup.sh
bench_build "${1:-}"
bench_needs python3 python3
frames="${FRAMES:-600}"
rounds="${ROUNDS:-3}"
emu_fps="$build/bench/emu_fps"
[ -x "$emu_fps" ] || { echo "build the tests first (the target emu_fps)"; exit 1; }
shared="${KESSRA_SHARED_ROMS:-/work/shared/gba-test-roms}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

roms=()
while IFS= read -r rom; do roms+=("$rom"); done < <(
  { find "$build/tests/emu/roms" -maxdepth 1 -name '*.gba' 2>/dev/null; find "$shared" -name '*.gba' 2>/dev/null; } | sort)
[ "${#roms[@]}" -gt 0 ] || { echo "no ROMs found"; exit 1; }
echo "machine: $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
echo "${#roms[@]} ROMs, $frames frames each, $rounds alternating rounds"
echo

# fps COMMAND...: the frames per second of the line the command prints, or
# "failed" (also for a run that takes longer than LIMIT seconds, default 120).
fps() {
  local line
  if line="$(timeout "${LIMIT:-120}" "$@" 2>/dev/null)"; then
    sed -n 's/.*(\([0-9.]*\) frames per second).*/\1/p' <<<"$line"
  else
    echo failed
  fi
}

results="$work/results"
: >"$results"
for rom in "${roms[@]}"; do
  ours=() theirs=()
  for ((round = 0; round < rounds; round++)); do
    if ((round % 2 == 0)); then
      ours+=("$(fps "$kessra" run "$rom" -frames "$frames" -screenshot "$work/shot.png")")
      theirs+=("$(fps "$emu_fps" "$rom" "$frames")")
    else
      theirs+=("$(fps "$emu_fps" "$rom" "$frames")")
      ours+=("$(fps "$kessra" run "$rom" -frames "$frames" -screenshot "$work/shot.png")")
    fi
  done
  name="${rom#"$shared"/}"
  name="${name#"$build"/tests/emu/roms/}"
  printf '%s\t%s\t%s\n' "$name" "${ours[*]}" "${theirs[*]}" >>"$results"
done

python3 - "$results" <<'PY'
import statistics, sys
def median(words):
    values = [float(w) for w in words.split() if w != "failed"]
    return statistics.median(values) if values and len(values) == len(words.split()) else None
print(f"{'ROM':<60} {'kessra fps':>11} {'reference':>10} {'ratio':>6}")
ratios = []
for line in open(sys.argv[1]):
    rom, ours, theirs = line.rstrip("\n").split("\t")
    a, b = median(ours), median(theirs)
    ratio = f"{a / b:5.2f}x" if a and b else "  -"
    if a and b: ratios.append(a / b)
    show = lambda v: f"{v:.1f}" if v is not None else "failed"
    print(f"{rom[-60:]:<60} {show(a):>11} {show(b):>10} {ratio:>6}")
if ratios:
    print(f"median ratio over {len(ratios)} ROMs: {statistics.median(ratios):.2f}x "
          f"(range {min(ratios):.2f}x to {max(ratios):.2f}x)")
PY
echo

library="$build/emu/ppc/libkessra_emu.a"
if command -v llvm-size >/dev/null && [ -f "$library" ]; then
  echo "console build's code size (llvm-size, $library):"
  llvm-size "$library" | awk '{ print } NR > 1 { text += $1; data += $2; bss += $3 }
    END { printf "total: text %d, data %d, bss %d bytes\n", text, data, bss }'
else
  echo "no console build's library at $library (or no llvm-size)"
fi
echo "sizeof(emu::Gba): $("$emu_fps" --state-size) bytes"
echo "(load average $(cut -d' ' -f1-3 /proc/loadavg) at the end)"
