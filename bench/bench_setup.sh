# Sourced by the benchmarks, from the project's top folder.
# bench_build [build-dir]: sets $build, and $kessra and $make_rom as absolute
# paths to the built tool and ROM maker; stops when they are not built.
bench_build() {
  build="${1:-build/release}"
  kessra="$(realpath "$build/src/kessra" 2>/dev/null || true)"
  make_rom="$(realpath "$build/tools/make_rom" 2>/dev/null || true)"
  [ -x "$kessra" ] && [ -x "$make_rom" ] || { echo "build first: cmake --preset release && cmake --build --preset release"; exit 1; }
}

# bench_needs PROGRAM PACKAGE: stops when PROGRAM is missing, naming the package.
bench_needs() {
  command -v "$1" >/dev/null || { echo "$1 is missing (apt-get install $2)"; exit 1; }
}
