#!/usr/bin/env bash
# Configures, builds and runs the whole test suite of one preset
# (release by default; asan for the sanitizer build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
preset="${1:-release}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
