#!/usr/bin/env bash
# The manual page renders without a single warning, and holds no roff error.
# Usage: man_page_test.sh KESSRA.1
set -euo pipefail
page="$1"
command -v groff >/dev/null || { echo "groff is not installed: skipping"; exit 77; }
[ -s "$page" ] || { echo "FAIL: no manual page at $page"; exit 1; }
warnings="$(groff -ww -man -Tutf8 "$page" 2>&1 >/dev/null)"
[ -z "$warnings" ] || { echo "FAIL: groff warns:"; echo "$warnings"; exit 1; }
if command -v mandoc >/dev/null; then
  mandoc -T lint -W error "$page" || { echo "FAIL: mandoc finds errors"; exit 1; }
fi
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES LIMITS EXAMPLES; do
  grep -Eq "^\.SH \"?$section\"?\$" "$page" || { echo "FAIL: no $section section"; exit 1; }
done
echo "the manual page renders cleanly"
