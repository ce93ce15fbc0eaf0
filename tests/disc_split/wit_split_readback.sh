#!/usr/bin/env bash
# Splits a collection whose disc names overflow one disc's name table and
# reads every disc back with an independent disc image reader (wit): each
# disc's label, its files with their sizes, and ROMs and index files byte for
# byte from both discs.
# Usage: wit_split_readback.sh KESSRA MAKE_ROM
set -euo pipefail
kessra="$1"
make_rom="$2"
if ! command -v wit >/dev/null; then
  echo "wit is not installed: skipping"
  exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# 190 ROMs whose disc names take the full 32 characters: the name table of
# one disc holds 189 of them. Most are sparse; a few carry a real header.
mkdir "$work/roms"
for i in $(seq -w 1 190); do
  rom="$work/roms/Collection Game Number $i E.gba"
  case "$i" in
    001|189|190) "$make_rom" "$rom" 4 "GAME$i" "G$i" ;;
    *) truncate -s 4M "$rom" ;;
  esac
done
disc_name() { echo "collection_game_number_$1_e"; } # 32 characters with ".gba"

"$kessra" -o "$work/set.iso" -d "$work/roms" -v "SPLIT SET" -split > "$work/report.txt" ||
  fail "the split build failed: $(cat "$work/report.txt")"
[ ! -e "$work/set.iso" ] || fail "a split collection also wrote the plain image path"
grep -q "^Disc 1/2      : $work/set_1.iso, ROMs 001 to 189, " "$work/report.txt" || fail "no line for disc 1"
grep -q "^Disc 2/2      : $work/set_2.iso, ROMs 190 to 190, " "$work/report.txt" || fail "no line for disc 2"

check_disc() { # number rom-count first-rom last-rom
  local image="$work/set_$1.iso"
  wit dump "$image" | grep -q "Disc name: *SPLIT SET $1/2\$" || fail "disc $1: label is not SPLIT SET $1/2"
  local listing
  listing="$(wit files --long "$image")"
  [ "$(grep -c '/files/roms/.' <<<"$listing")" -eq "$2" ] || fail "disc $1: not $2 ROMs"$'\n'"$listing"
  [ "$(grep -c '/files/index\.' <<<"$listing")" -eq "$2" ] || fail "disc $1: not $2 index files"
  for file in F_00.tpl F_01.tpl F_02.tpl F_03.tpl opening.bnr; do
    grep -q "/files/$file\$" <<<"$listing" || fail "disc $1: no $file"
  done
  local last_index
  last_index="$(printf 'index.%03d' $(( $2 - 1 )))"
  wit extract -q "$image" "$work/x$1" --files "+/files/roms/$(disc_name "$3").gba" \
    --files "+/files/roms/$(disc_name "$4").gba" --files "+/files/index.000" --files "+/files/$last_index" \
    --files '-*' >/dev/null
  local files
  files="$(find "$work/x$1" -type d -name files | head -n 1)"
  [ -d "$files" ] || fail "disc $1: wit extracted no files folder"
  for n in "$3" "$4"; do
    cmp "$work/roms/Collection Game Number $n E.gba" "$files/roms/$(disc_name "$n").gba" ||
      fail "disc $1: ROM $n differs"
  done
  grep -qa "^roms/$(disc_name "$3").gba	;Collection Game Number $3 E.gba - 4194304 bytes" "$files/index.000" ||
    fail "disc $1: index.000 does not name ROM $3"
  grep -qa "^roms/$(disc_name "$4").gba	;" "$files/$last_index" || fail "disc $1: $last_index does not name ROM $4"
}
check_disc 1 189 001 189
check_disc 2 1 190 190
echo "wit read back both discs"
