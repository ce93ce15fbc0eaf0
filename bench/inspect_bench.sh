#!/usr/bin/env bash
# Measures `kessra inspect` on a full Mini DVD-R image: 86 sparse ROMs of
# 16 MiB (1.38 GiB of ROM data), padded to 1,459,978,240 bytes. Inspect reads
# the boot area, the table, the menu, the payloads, the index files, the ROM
# headers and samples of the fill; -deep reads everything.
# Needs hyperfine. Usage: bench/inspect_bench.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/bench_setup.sh
bench_build "${1:-}"
bench_needs hyperfine hyperfine

work="${BENCH_DIR:-$(mktemp -d)}"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/roms"
for i in $(seq 1 86); do "$make_rom" "$work/roms/Full Game $i.gba" 16 "FULL$i"; done
"$kessra" -o "$work/full.iso" -d "$work/roms" -v FULL -p >/dev/null
echo "image: $(stat -c %s "$work/full.iso") bytes"
"$kessra" inspect "$work/full.iso" | sed -n '1,12p'
hyperfine --warmup 3 --runs 30 -N "$kessra inspect $work/full.iso" "$kessra inspect -json $work/full.iso"
