#!/usr/bin/env bash
# Measures an image build against the copy limit on one set of about 40 ROMs
# (mixed 4, 8 and 16 MiB, about 400 MiB):
#   - kessra without padding, kessra with -p, and cat of the same ROMs into one file;
#   - peak memory of a build.
# Needs hyperfine and GNU time. Usage: bench/run_bench.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
kessra="$build/src/kessra"
make_rom="$build/tools/make_rom"
[ -x "$kessra" ] && [ -x "$make_rom" ] || { echo "build first: cmake --preset release && cmake --build --preset release"; exit 1; }
command -v hyperfine >/dev/null || { echo "hyperfine is missing (apt-get install hyperfine)"; exit 1; }

work="${BENCH_DIR:-$(mktemp -d)}"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/roms"
sizes=(4 8 16 4 8)
for i in $(seq 1 40); do
  size=${sizes[$((i % 5))]}
  "$make_rom" "$work/roms/Bench Game $i.gba" "$size" "BENCH$i"
done
total=$(du -cm "$work/roms"/*.gba | tail -n 1 | cut -f1)
echo "ROM set: 40 files, $total MiB in $work/roms"

# Each run starts from the same state: no earlier output to replace, and no
# dirty pages of the previous run still being written back.
hyperfine --warmup 1 --runs 10 --export-json "$work/times.json" \
  --prepare "rm -f $work/a.iso $work/a.iso.txt $work/p.iso $work/p.iso.txt $work/cat.bin; sync" \
  -n unpadded "$kessra -o $work/a.iso -d $work/roms -v BENCH" \
  -n padded "$kessra -o $work/p.iso -d $work/roms -v BENCH -p" \
  -n cat "cat $work/roms/*.gba > $work/cat.bin"

peak_kib=$(/usr/bin/time -f '%M' "$kessra" -o "$work/m.iso" -d "$work/roms" -v BENCH -p 2>&1 >/dev/null | tail -n 1)

python3 - "$work/times.json" "$peak_kib" <<'PY'
import json, sys
runs = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
peak_mib = int(sys.argv[2]) / 1024
print()
print(f"unpadded / cat       : {runs['unpadded'] / runs['cat']:.2f}x   (target <= 1.2x)")
print(f"padding adds         : {runs['padded'] - runs['unpadded']:+.3f} s (target <= 0.5 s)")
print(f"peak memory (padded) : {peak_mib:.1f} MiB (target <= 32 MiB)")
PY
