#!/usr/bin/env bash
# Builds images from the same ROMs with the Linux program and with the
# Windows program under wine, from the same working directory with the same
# relative paths, and checks that:
#   - the images are the same byte for byte (once plain, once filled to 2 GiB,
#     past the reach of 32-bit signed offsets, once with skins and a banner
#     made from PNG pictures, which libpng decodes on Linux and the Windows
#     Imaging Component on Windows);
#   - the listings differ only in their line ends, which are CR LF on Windows;
#   - the console reports differ only in line ends (CR LF on Windows) and in
#     the path separator of the "Adding" lines (a backslash on Windows).
# The ROMs have 8.3 names, so that their short names are their own names on
# every volume and the disc names cannot differ.
# Usage: compare_with_linux.sh KESSRA_LINUX KESSRA_EXE MAKE_ROM [WINE_RUNNER]
set -euo pipefail
pictures="$(realpath "$(dirname "$0")/../texture/pictures")"
linux="$(realpath "$1")"
windows="$(realpath "$2")"
make_rom="$(realpath "$3")"
runner="${4:-wine}"
case "$runner" in */*) runner="$(realpath "$runner")" ;; esac

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir roms
"$make_rom" roms/POKEY.GBA 4 "POKEYQUEST" POKE
"$make_rom" roms/ALPHA.GBA 8 "ALPHAQUEST" ALPH
"$make_rom" roms/TETRIX.GBA 16 "tetrix" TETR

fail() { echo "FAIL: $*"; exit 1; }

# Runs both programs with the same arguments; leaves linux.* and windows.*.
build_both() {
  rm -f out.iso out.iso.txt
  "$linux" "$@" >linux.out || fail "the Linux program failed: $(tail -c 2000 linux.out)"
  mv out.iso linux.iso
  mv out.iso.txt linux.iso.txt
  "$runner" "$windows" "$@" >windows.out </dev/null || fail "the Windows program failed: $(tail -c 2000 windows.out)"
  mv out.iso windows.iso
  mv out.iso.txt windows.iso.txt
}

compare() { # what
  cmp linux.iso windows.iso || fail "$1: the images differ"
  cmp linux.iso.txt <(tr -d '\r' <windows.iso.txt) || fail "$1: the listings differ in more than line ends"
  local lines crlf
  lines="$(wc -l <windows.iso.txt)"
  crlf="$(grep -c $'\r$' windows.iso.txt || true)"
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "$1: $crlf of $lines listing lines end in CR LF"
  # CR LF becomes LF; then each progress text of the fill, which ends in a
  # bare CR, gets a line of its own for the diff.
  tr '\r' '\n' <linux.out >linux.lines
  sed 's/\r$//' windows.out | tr '\r' '\n' | sed 's|^\(Adding [0-9/]*: roms\)\\|\1/|' >windows.lines
  cmp -s linux.lines windows.lines ||
    fail "$1: the console reports differ (< Linux, > Windows):"$'\n'"$(diff linux.lines windows.lines | head -n 20)"
}

build_both -o out.iso -d roms -v LABEL
grep -qF 'Adding 001/003: roms\ALPHA.GBA as alpha.gba [MENU:001 ALPHAQUEST]' windows.out ||
  fail "no backslash in the Windows \"Adding\" line:"$'\n'"$(grep Adding windows.out)"
compare "plain"
echo "plain image: the same, $(stat -c %s windows.iso) bytes"

build_both -o out.iso -d roms -v "FILLED" -ds 2 -dz 1 -dravnik -p
[ "$(stat -c %s windows.iso)" = 2147483648 ] || fail "the filled image is $(stat -c %s windows.iso) bytes"
compare "filled"
echo "filled image: the same, 2147483648 bytes"

# A 700 x 500 RGBA photograph-like gradient with a transparent corner, and the
# decoders' test pictures: 16-bit colour, 4-bit grey, an interlaced palette
# with a transparency chunk.
python3 - <<'PY'
import struct, zlib
w, h = 700, 500
rows = bytearray()
for y in range(h):
    rows.append(0)
    for x in range(w):
        rows += bytes(((x * 255) // w, (y * 255) // h, (x * y) % 251, 0 if x < 40 and y < 30 else 255))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
open("photo.png", "wb").write(png)
PY
cp "$pictures"/rgb-16bit.png "$pictures"/grey-4bit.png "$pictures"/palette-interlaced.png .
build_both -o out.iso -d roms -v MINE -skin0 photo.png -skin1 rgb-16bit.png -skin2 photo.png -skin3 grey-4bit.png \
  -banner palette-interlaced.png
compare "pictures"
echo "image with PNG skins and banner: the same, $(stat -c %s windows.iso) bytes"
