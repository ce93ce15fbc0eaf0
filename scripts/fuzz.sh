#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, the "fuzz" preset) and runs each for a
# bounded time, starting from the seed corpus the tests write
# (build/release/fuzz-seeds). A crash fails the run; its input is left in
# build/fuzz/artifacts/ and belongs in fuzz/regressions/TARGET/ once fixed.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
seeds=build/release/fuzz-seeds
targets="fuzz_inspect fuzz_payload_checks fuzz_pictures fuzz_emu"
if [ ! -d "$seeds/fuzz_emu" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release
  build/release/tests/kessra_tests --gtest_filter='FuzzCorpus.*SeedsAreWrittenAndRunCleanly' >/dev/null
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target $targets
mkdir -p build/fuzz/artifacts
for target in $targets; do
  corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  cp -n "$seeds/$target"/* "$corpus"/ 2>/dev/null || true
  # The picture decoders' test files: the kinds the seeds do not make.
  [ "$target" != fuzz_pictures ] || cp -n tests/texture/pictures/* "$corpus"/
  log="build/fuzz/$target.log"
  echo "== $target for ${seconds} s"
  status=0
  "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix=build/fuzz/artifacts/"$target"- "$corpus" fuzz/regressions/"$target" >"$log" 2>&1 || status=$?
  grep -E "^Done [0-9]+ runs" "$log" || tail -n 30 "$log"
  [ "$status" -eq 0 ] || { echo "$target failed (status $status): see $log and build/fuzz/artifacts/"; exit 1; }
done
