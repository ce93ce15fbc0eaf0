#!/usr/bin/env bash
# Measures "-split" on a collection that fills two Mini DVD discs (172 ROMs of
# 16 MiB and 2 of 8 MiB, 2,768 MiB) against:
#   - cat of the same ROMs into one file (the copy limit);
#   - the same two discs built one after the other without -split, each from
#     a folder of its own ROMs (the cost per byte of single builds).
# Needs hyperfine. Usage: bench/split_bench.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/bench_setup.sh
bench_build "${1:-}"
bench_needs hyperfine hyperfine

work="${BENCH_DIR:-$(mktemp -d)}"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/roms" "$work/disc1" "$work/disc2"
# Each disc takes 86 ROMs of 16 MiB and one of 8 MiB: the next 16 MiB ROM
# would pass the Mini DVD's data budget.
for i in $(seq 1 174); do
  size=16
  if [ "$i" -eq 87 ] || [ "$i" -eq 174 ]; then size=8; fi
  rom="$work/roms/Split Game $(printf %03d "$i").gba"
  "$make_rom" "$rom" "$size" "SPLIT$i"
  if [ "$i" -le 87 ]; then ln "$rom" "$work/disc1/"; else ln "$rom" "$work/disc2/"; fi
done
total_mib=$(du -cm "$work/roms"/*.gba | tail -n 1 | cut -f1)
echo "ROM set: 174 files, $total_mib MiB"

# Every run starts with no earlier output and no dirty pages of the previous run.
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
  --prepare "rm -f $work/s_1.iso* $work/s_2.iso* $work/p1.iso* $work/p2.iso* $work/cat.bin; sync" \
  -n split "$kessra -o $work/s.iso -d $work/roms -v SPLIT -split" \
  -n two-plain "$kessra -o $work/p1.iso -d $work/disc1 -v P1 && $kessra -o $work/p2.iso -d $work/disc2 -v P2" \
  -n cat "cat $work/roms/*.gba > $work/cat.bin"

python3 - "$work/times.json" "$total_mib" <<'PY'
import json, sys
runs = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
total = int(sys.argv[2])
print()
print(f"split / cat          : {runs['split'] / runs['cat']:.2f}x")
print(f"split / two plain    : {runs['split'] / runs['two-plain']:.2f}x")
print(f"split throughput     : {total / runs['split']:.0f} MiB/s (cat {total / runs['cat']:.0f} MiB/s)")
PY
