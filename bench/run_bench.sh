#!/usr/bin/env bash
# Measures image builds against the copy limit (cat) on two ROM sets, made once
# and kept under $KESSRA_BENCH_DATA (default ~/.cache/kessra-bench):
#   1. settled cache: 40 ROMs of 4, 8 and 16 MiB (320 MiB), no earlier output
#      and no pending writeback before each run (hyperfine);
#   2. the full-disc set, 86 ROMs of 16 MiB with random contents (1.4 GiB), in
#      two conditions, the commands alternating from round to round:
#      - ROMs dropped from the page cache before each run (needs root: sync and
#        /proc/sys/vm/drop_caches; skipped otherwise);
#      - ROMs cached, builds back to back without sync;
#      each with kessra into a fresh file against cat into a fresh file, kessra
#      replacing its previous image against `cat > tmp && mv tmp image`,
#      kessra -p against kessra, and peak memory.
# Prints medians and ratios. Needs hyperfine, GNU time and python3.
# Usage: bench/run_bench.sh [build-dir]   (ROUNDS=N sets the rounds, default 6)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/bench_setup.sh
bench_build "${1:-}"
bench_needs hyperfine hyperfine
bench_needs python3 python3
bench_needs /usr/bin/time time
rounds="${ROUNDS:-6}"
alternate="$PWD/bench/alternate.py"
data="${KESSRA_BENCH_DATA:-${XDG_CACHE_HOME:-$HOME/.cache}/kessra-bench}"
out="$data/out"
mkdir -p "$data/small" "$data/full" "$out"
trap 'rm -rf "$out"' EXIT

# make_set DIR COUNT SIZES... : COUNT ROMs, sizes in MiB taken in turn; bodies
# random but for the header. Kept when complete.
make_set() {
  local dir="$1" count="$2"; shift 2
  local sizes=("$@")
  if [ -f "$dir/complete" ]; then return; fi
  rm -rf "$dir/roms"; mkdir -p "$dir/roms"
  for i in $(seq -w 1 "$count"); do
    local size=${sizes[$((10#$i % ${#sizes[@]}))]}
    local rom="$dir/roms/Bench Game $i.gba"
    "$make_rom" "$rom" "$size" "BENCH$i"
    dd if=/dev/urandom of="$rom" bs=4096 seek=1 count=$((size * 256 - 1)) conv=notrunc status=none
  done
  touch "$dir/complete"
}
make_set "$data/small" 40 4 8 16 4 8
make_set "$data/full" 86 16
small="$data/small/roms"
full="$data/full/roms"
echo "ROM sets in $data: $(du -sm "$small" | cut -f1) MiB (40 ROMs), $(du -sm "$full" | cut -f1) MiB (86 ROMs)"
echo "machine: $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
echo

echo "== 1. 320 MiB set, settled cache: no earlier output, no pending writeback"
hyperfine --warmup 1 --runs 10 --export-json "$out/settled.json" \
  --prepare "rm -f $out/a.iso $out/a.iso.txt $out/p.iso $out/p.iso.txt $out/cat.bin; sync" \
  -n unpadded "$kessra -o $out/a.iso -d $small -v BENCH" \
  -n padded "$kessra -o $out/p.iso -d $small -v BENCH -p" \
  -n cat "cat $small/*.gba > $out/cat.bin" >/dev/null
python3 - "$out/settled.json" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
for name in ("unpadded", "padded", "cat"):
    print(f"  {name:<9} mean {runs[name]['mean'] * 1000:7.1f} ms  median {runs[name]['median'] * 1000:7.1f} ms")
print(f"  unpadded / cat: {runs['unpadded']['mean'] / runs['cat']['mean']:.2f}x (means)")
print(f"  padding adds {runs['padded']['mean'] - runs['unpadded']['mean']:+.3f} s")
PY
echo

# full_disc TITLE PREPARE: the runs on the full-disc set, in pairs. Each run
# gets the page cache as the other one of its pair leaves it (the pages that
# a removed or replaced image frees are the cheapest to fill again), so the
# pairs alternate on their own rather than all five runs in one rotation.
full_disc() {
  local image="$kessra -d $full -v BENCH -o"
  echo "$1"
  python3 "$alternate" --rounds "$rounds" --prepare "$2" --title "  into a fresh file:" \
    --pre "kessra=rm -f $out/fresh.iso $out/fresh.iso.txt" --pre "cat=rm -f $out/cat.bin" \
    --ratio kessra/cat "kessra=$image $out/fresh.iso" "cat=cat $full/*.gba > $out/cat.bin"
  python3 "$alternate" --rounds "$rounds" --prepare "$2" --title "  replacing the previous image:" \
    --pre "kessra=test -e $out/replace.iso || $image $out/replace.iso" \
    --pre "cat_mv=test -e $out/mv.bin || cat $full/*.gba > $out/mv.bin" \
    --ratio kessra/cat_mv "kessra=$image $out/replace.iso" \
    "cat_mv=cat $full/*.gba > $out/mv.tmp && mv $out/mv.tmp $out/mv.bin"
  python3 "$alternate" --rounds "$rounds" --prepare "$2" --title "  padding, into a fresh file:" \
    --pre "kessra_p=rm -f $out/padded.iso $out/padded.iso.txt" --pre "kessra=rm -f $out/fresh.iso $out/fresh.iso.txt" \
    --diff kessra_p-kessra "kessra_p=$image $out/padded.iso -p" "kessra=$image $out/fresh.iso"
}

if [ "$(id -u)" = 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
  full_disc "== 2a. full-disc set (1.4 GiB), ROMs dropped from the page cache before each run" \
    "sync; echo 3 > /proc/sys/vm/drop_caches"
else
  echo "== 2a. full-disc set, ROMs not cached: skipped (dropping the page cache needs root)"
fi
echo
cat "$full"/*.gba > /dev/null
full_disc "== 2b. full-disc set (1.4 GiB), ROMs cached, back to back without sync" ""
