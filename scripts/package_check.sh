#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Checks the Debian packages of a built tree as a distribution would, without a chroot:
#   - every source file carries the SPDX licence line;
#   - cpack makes the packages, and lintian finds no error in any of them;
#   - liblftm0's symbols file lists every function liblftm.so.0 exports, and dpkg-shlibdeps
#     gives a program built against it a dependency on the version its functions need;
#   - the library and the programs are hardened (bind-now, read-only relocations, fortified
#     calls, stack protector);
#   - the install-consumer test (an installed, moved tree used by programs built on it).
#
# scripts/package_check.sh [BUILD_DIR]   (default build/, built with the tool)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work="$build/package_check"
rm -rf "$work"
mkdir -p "$work/debs"

fail() { echo "package check: $*" >&2; exit 1; }

echo "== every source file names its licence"
scripts/spdx_check.sh || fail "source files without the SPDX line"

echo "== Debian packages"
if ! (cd "$build" && cpack -G DEB -B "$work/debs" >"$work/cpack.log"); then
  cat "$work/cpack.log"
  fail "cpack"
fi
debs=("$work"/debs/*.deb)
[ ${#debs[@]} -ge 3 ] || fail "cpack made ${#debs[@]} packages"
ls -1 "$work"/debs/*.deb

echo "== lintian (no error allowed)"
lintian --fail-on error --tag-display-limit 0 "${debs[@]}"

runtime=$(ls "$work"/debs/liblftm0_*.deb)
root="$work/shlibdeps"
mkdir -p "$root/debian/liblftm0/DEBIAN" "$root/debian/consumer/usr/bin"
dpkg-deb -x "$runtime" "$root/debian/liblftm0"
dpkg-deb -e "$runtime" "$root/debian/liblftm0/DEBIAN"
library=$(find "$root/debian/liblftm0" -name 'liblftm.so.0.*' -type f)
libdir=$(dirname "$library")

echo "== symbols file against the exported functions"
(cd "$root" && dpkg-gensymbols -c4 -pliblftm0 -v"$(dpkg-deb -f "$runtime" Version)" \
   -Pdebian/liblftm0 -I"$root/debian/liblftm0/DEBIAN/symbols" -e"$library" -O/dev/null) ||
  fail "packaging/liblftm0.symbols does not list exactly what liblftm.so.0 exports"

echo "== dpkg-shlibdeps: a program's dependency follows the functions it uses"
{ echo "Source: consumer"; printf '\nPackage: %s\nArchitecture: any\n' consumer liblftm0; } \
  >"$root/debian/control"
# $1: a function the program calls; $2: the dependency dpkg-shlibdeps must give.
expect_dependency() {
  local program="$root/debian/consumer/usr/bin/uses_$1"
  printf '#include <lftm.h>\n#include <lftm_host.h>\nint main(void) { return (int)(long)&%s; }\n' \
    "$1" | cc -Iinclude -x c - -x none "$library" -o "$program"
  local deps
  deps=$(cd "$root" && dpkg-shlibdeps -O -l"$libdir" "debian/consumer/usr/bin/uses_$1" 2>&1)
  echo "$1: $deps"
  grep -q "liblftm0 ($2)" <<<"$deps" || fail "$1 should give liblftm0 ($2)"
}
expect_dependency tonemap ">= 0.1.0"
expect_dependency lftm_tonemap_image ">= 0.5.0"

echo "== hardening"
# Fortifiable calls that stay unchecked only without _FORTIFY_SOURCE (memcpy and its kin stay
# plain wherever a size is unknown, so they prove nothing).
fortifiable="strcpy|strcat|strncpy|strncat|sprintf|snprintf|vsprintf|vsnprintf|printf|fprintf|\
vfprintf|fgets|realpath|getcwd"
check_hardened() {
  local file=$1 dynamic segments symbols
  dynamic=$(readelf -d "$file")
  segments=$(readelf -l "$file")
  symbols=$(readelf --dyn-syms -W "$file")
  grep -q 'BIND_NOW\|FLAGS.*NOW' <<<"$dynamic" || fail "$file is not bind-now"
  grep -q GNU_RELRO <<<"$segments" || fail "$file has no read-only relocations"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$file lacks the stack protector"
  # A file that calls functions of the fortified kind must call some checked ones.
  if ! grep -q '__[a-z_]*_chk@' <<<"$symbols" &&
     grep -qE " ($fortifiable)@" <<<"$symbols"; then
    fail "$file calls only unchecked string and memory functions"
  fi
  echo "hardened: $(basename "$file")"
}
while IFS= read -r -d '' elf; do
  check_hardened "$elf"
done < <(find "$root/debian/liblftm0" -name '*.so*' -type f -print0)
for program in "$build"/bin/lftm "$build"/bin/lftm-tune; do
  [ -x "$program" ] && check_hardened "$program"
done

echo "== install consumers"
ctest --test-dir "$build" -R '^Install\.Consumers$' --output-on-failure
echo "package check: ok"
