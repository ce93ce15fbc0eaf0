#!/usr/bin/env bash
# The Debian package holds the executable, the manual page and the
# completion, and installed into a fresh root it gives a kessra that runs.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build="$1"
for tool in cpack dpkg-deb dpkg dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipping"; exit 77; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
package="$(find "$work/out" -maxdepth 1 -name 'kessra_*.deb' | head -n 1)"
[ -n "$package" ] || fail "cpack made no .deb"

contents="$(dpkg-deb -c "$package")"
for path in ./usr/bin/kessra ./usr/share/man/man1/kessra.1 ./usr/share/bash-completion/completions/kessra \
            ./usr/share/doc/kessra/copyright; do
  grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"$'\n'"$contents"
done
depends="$(dpkg-deb -f "$package" Depends)"
grep -q "libc6" <<<"$depends" || fail "the package does not depend on libc6: '$depends'"
grep -q "libstdc++6" <<<"$depends" || fail "the package does not depend on libstdc++6: '$depends'"
# The picture decoders.
grep -q "libpng16-16" <<<"$depends" || fail "the package does not depend on libpng16-16: '$depends'"
grep -q "libjpeg62-turbo" <<<"$depends" || fail "the package does not depend on libjpeg62-turbo: '$depends'"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
# The fresh root has none of the libraries the package depends on; the host's serve.
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -i "$package" >"$work/dpkg.log" 2>&1 \
  || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
version="$("$root/usr/bin/kessra" --version)"
[[ "$version" == "kessra "* ]] || fail "the installed kessra says '$version'"
echo "package installs and runs: $version"
