#!/usr/bin/env bash
# Pictures: encoding quality (picture_quality) and what four custom skins and
# a custom banner add to a build. The photographs are ImageMagick plasma
# fractals (2000 x 1500 JPEG by default, PHOTO_SIZE=WxH for another size; a
# different one per skin) and a 400 x 200 PNG
# logo with transparent corners. Processor time is reported beside wall time,
# since wall time on a shared machine says little.
# Needs hyperfine and ImageMagick. Usage: bench/pictures_bench.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/bench_setup.sh
bench_build "${1:-}"
quality="$build/tools/picture_quality"
[ -x "$quality" ] || { echo "build first: cmake --preset release && cmake --build --preset release"; exit 1; }
bench_needs hyperfine hyperfine
bench_needs convert imagemagick

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/roms"
"$make_rom" "$work/roms/Bench Game.gba" 4 BENCH
for i in 0 1 2 3; do
  convert -seed $((i + 1)) -size "${PHOTO_SIZE:-2000x1500}" plasma:fractal -blur 0x0.7 -quality 90 "$work/photo$i.jpg"
done
convert -size 400x200 xc:none -fill '#2060d0' -draw 'roundrectangle 0,0 399,199 40,40' \
  -fill white -pointsize 90 -gravity center -annotate +0+0 'ABC' "$work/logo.png"

echo "== quality"
"$quality"
"$quality" "$work/photo0.jpg"

echo "== build time"
personal=(-skin0 "$work/photo0.jpg" -skin1 "$work/photo1.jpg" -skin2 "$work/photo2.jpg" -skin3 "$work/photo3.jpg"
          -banner "$work/logo.png" -title "Bench Disc" -description "Four photographs")
hyperfine --warmup 1 --runs 10 --export-json "$work/times.json" \
  --prepare "rm -f $work/a.iso $work/a.iso.txt" \
  -n built-in "$kessra -o $work/a.iso -d $work/roms -v BENCH" \
  -n personal "$kessra -o $work/a.iso -d $work/roms -v BENCH ${personal[*]}"
python3 - "$work/times.json" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
cpu = {n: r["user"] + r["system"] for n, r in runs.items()}
wall = {n: r["mean"] for n, r in runs.items()}
print(f"added by the pictures: {1000 * (wall['personal'] - wall['built-in']):.0f} ms wall, "
      f"{1000 * (cpu['personal'] - cpu['built-in']):.0f} ms processor time")
PY
