#!/usr/bin/env bash
# Lists the source files that lack "SPDX-License-Identifier: BSD-3-Clause" in their first
# lines, and exits 1 when there are any. With --fix, adds the line at the top in the file's
# comment syntax instead: "//" for C and C++ (and JavaScript), "#" for CMake, shell, Python and
# the other files that take # comments (after a "#!" line). Sources are the files git tracks.
#
# scripts/spdx_check.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
tag="SPDX-License-Identifier: BSD-3-Clause"
fix=0
[ "${1:-}" = "--fix" ] && fix=1

# The comment that starts a line of `file`; empty for a file that is not source code.
comment_for() {
  case "$1" in
    *.c|*.cc|*.cpp|*.h|*.hpp|*.js) echo "//" ;;
    *CMakeLists.txt|*.cmake|*.sh|*.py|*.pc.in|*/Doxyfile.in|.ci/*|scripts/*) echo "#" ;;
    *) ;;
  esac
}

# Writes the tag line into `file`: after its "#!" line if it has one, else first.
add_tag() {
  local file=$1 line="$2 $tag" tmp
  tmp=$(mktemp "$file.XXXXXX")
  if [ "$(head -c 2 "$file")" = "#!" ]; then
    { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$tmp"
  else
    { echo "$line"; cat "$file"; } >"$tmp"
  fi
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
}

missing=0
while IFS= read -r file; do
  comment=$(comment_for "$file")
  [ -n "$comment" ] || continue
  head -n 5 "$file" | grep -q "$tag" && continue
  if [ $fix -eq 1 ]; then
    add_tag "$file" "$comment"
    echo "added: $file"
  else
    echo "$file"
    missing=$((missing + 1))
  fi
done < <(git ls-files)
if [ $missing -gt 0 ]; then
  echo "$missing source files lack \"$tag\" (scripts/spdx_check.sh --fix adds it)" >&2
  exit 1
fi
