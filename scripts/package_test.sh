#!/usr/bin/env bash
# package_test.sh [BUILD]: Korvel as others get it. Installs the optimised build
# BUILD (build/ by default, already built) and a shared build made here into
# temporary prefixes, builds examples/consumer against each with CMake and with
# pkg-config and runs it; then makes the Debian package from BUILD, checks its
# contents, runs lintian on it, unpacks it and runs korvel-cli from it. Installs nothing system-wide.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shared="$root/build-package-shared"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "package_test: $*" >&2
  exit 1
}

# The roots of x^3 - 2x + 1, the consumer's polynomial: 1 and (-1 ± sqrt 5)/2.
roots_are_right() {
  local out expected
  out=$("$@") || fail "$* failed"
  for expected in '(1, 0)' '(0.618033988749894848204586834366, 0)' '(-1.61803398874989484820458683437, 0)'; do
    grep -qxF -- "$expected" <<<"$out" || fail "$* did not print the root $expected: $out"
  done
}

# consumer_builds LABEL PREFIX: the consumer against the Korvel installed in PREFIX, both ways.
consumer_builds() {
  local label=$1 prefix=$2 pc libdir
  cmake -S "$root/examples/consumer" -B "$work/consumer-$label" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$work/consumer-$label" >/dev/null
  roots_are_right "$work/consumer-$label/roots"
  pc=$(dirname "$(find "$prefix" -name korvel.pc)")
  # shellcheck disable=SC2046  # pkg-config's flags are meant to split
  c++ -std=c++20 "$root/examples/consumer/roots.cpp" $(PKG_CONFIG_PATH="$pc" pkg-config --cflags --libs korvel) \
    -o "$work/roots-pkg-config-$label"
  libdir=$(PKG_CONFIG_PATH="$pc" pkg-config --variable=libdir korvel)
  LD_LIBRARY_PATH="$libdir" roots_are_right "$work/roots-pkg-config-$label"
  echo "package_test: the consumer builds and runs against the $label Korvel (CMake and pkg-config)"
}

# The README shows the consumer word for word.
[[ "$(<"$root/README.md")" == *"$(<"$root/examples/consumer/roots.cpp")"* ]] ||
  fail "README.md does not show examples/consumer/roots.cpp as it is"

echo "== static: install, consumer"
cmake --install "$build" --prefix "$work/static" >/dev/null
[ -z "$(find "$work/static" -name 'libkorvel*.so*')" ] || fail "a static build installed shared libraries"
consumer_builds static "$work/static"

echo "== shared: build, install, consumer"
cmake -S "$root" -B "$shared" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DBUILD_TESTING=OFF \
  -DKORVEL_BENCH=OFF >/dev/null
cmake --build "$shared" -j "$(nproc)" >/dev/null
cmake --install "$shared" --prefix "$work/shared" >/dev/null
consumer_builds shared "$work/shared"
grep -q 'NEEDED.*libkorvel_roots\.so' <<<"$(readelf -d "$work/consumer-shared/roots")" ||
  fail "the shared consumer does not load libkorvel_roots.so"
exported=$(nm -DC --defined-only "$(find "$work/shared" -name 'libkorvel_roots.so')")
grep -q 'korvel::findPolyRoots' <<<"$exported" || fail "findPolyRoots is not exported"
! grep -q 'korvel::.*makePoly' <<<"$exported" || fail "a private routine (makePoly) is exported"
grep -q '^1\.414213562373095' <<<"$("$work/shared/bin/korvel-cli" -e 'x^2-2' 2>/dev/null)" ||
  fail "the installed shared korvel-cli does not run"

echo "== Debian package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
deb=$(find "$work/deb" -maxdepth 1 -name 'korvel_*.deb')
[ -n "$deb" ] || fail "cpack made no .deb"
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
wanted=(
  '\./usr/bin/korvel-cli$'
  '\./usr/lib/(.*/)?libkorvel_roots\.a$'
  '\./usr/include/korvel/roots\.h$'
  '\./usr/include/korvel/export\.h$'
  '\./usr/lib/(.*/)?cmake/Korvel/KorvelConfig\.cmake$'
  '\./usr/lib/(.*/)?cmake/Korvel/KorvelConfigVersion\.cmake$'
  '\./usr/lib/(.*/)?cmake/Korvel/KorvelTargets\.cmake$'
  '\./usr/lib/(.*/)?pkgconfig/korvel\.pc$'
  '\./usr/share/man/man1/korvel-cli\.1\.gz$'
  '\./usr/share/doc/korvel/copyright$'
  '\./usr/share/doc/korvel/changelog\.gz$'
)
if [ -x "$build/bin/korvel" ]; then
  wanted+=('\./usr/bin/korvel$' '\./usr/share/applications/korvel\.desktop$'
           '\./usr/share/icons/hicolor/scalable/apps/korvel\.svg$' '\./usr/share/man/man1/korvel\.1\.gz$')
  grep -q libqt6widgets6 <<<"$(dpkg-deb --field "$deb" Depends)" || fail "the package does not depend on Qt"
fi
for path in "${wanted[@]}"; do
  grep -qE "$path" <<<"$contents" || fail "the package lacks $path"
done
if grep -E 'internal\.h|kernels\.h|/text\.h|search\.h|rough\.h|modular\.h' <<<"$contents"; then
  fail "the package holds private headers"
fi
dpkg-deb -x "$deb" "$work/unpacked"
version=$(dpkg-deb --field "$deb" Version)
[ "$("$work/unpacked/usr/bin/korvel-cli" --version)" = "korvel-cli $version" ] ||
  fail "korvel-cli --version does not say $version"
grep -q '^1\.414213562373095' <<<"$("$work/unpacked/usr/bin/korvel-cli" -e 'x^2-2' 2>/dev/null)" ||
  fail "the unpacked korvel-cli does not run"
consumer_builds unpacked-package "$work/unpacked/usr"
# What Debian's own checks say of it: errors fail, warnings are shown.
lintian --fail-on error "$deb" ||
  fail "lintian finds errors in $(basename "$deb")"
echo "package_test: $(basename "$deb") has the programs, library, headers, CMake package, .pc, man pages and desktop entry, and lintian finds no error in it"
