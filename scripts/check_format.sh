#!/usr/bin/env bash
# Checks that the C and C++ sources read as .clang-format says, without
# changing any file. Usage: scripts/check_format.sh [--list]
#   --list   print only the names of the files that would change
# Exit status: 0 all formatted, 1 some would change, 77 clang-format missing.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
format="${CLANG_FORMAT:-clang-format}"
if ! command -v "$format" >/dev/null; then
  echo "clang-format is not installed (scripts/deps.sh installs it): skipping the format check"
  exit 77
fi
mapfile -t files < <(find src tests emu boot bench fuzz tools -type f \
  \( -name '*.c' -o -name '*.h' -o -name '*.cpp' -o -name '*.hpp' \) | sort)
changed=()
for file in "${files[@]}"; do
  "$format" --dry-run -Werror "$file" >/dev/null 2>&1 || changed+=("$file")
done
if [ "${1:-}" = --list ]; then
  printf '%s\n' "${changed[@]}"
elif [ ${#changed[@]} -gt 0 ]; then
  for file in "${changed[@]}"; do "$format" --dry-run "$file" 2>&1 | head -n 20; done
fi
echo "${#changed[@]} of ${#files[@]} files would change" >&2
[ ${#changed[@]} -eq 0 ]
