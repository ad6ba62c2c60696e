#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Writes the Debian changelog of the packages from NEWS.md to standard output: one entry per
# released version (a heading "## VERSION (YYYY-MM-DD)"; the unreleased section is left out),
# newest first, each item of the notes a bullet, the notes' subheadings as group lines.
#
# news_to_changelog.sh NEWS.md DEBIAN_REVISION "MAINTAINER <ADDRESS>"
set -euo pipefail
news=$1
revision=$2
maintainer=$3

# The date line of an entry, in the changelog's RFC 2822 form: noon UTC of the release day,
# plus ten minutes per minor version and one per patch, so that versions released on one day
# still have dates in their order.
changelog_date() {
  local minor patch
  IFS=. read -r _ minor patch <<< "$2"
  LC_ALL=C date -u -R -d "$1 12:00:00 UTC + $((10 * ${minor:-0} + ${patch:-0})) minutes"
}

entry_end() {
  printf '\n -- %s  %s\n' "$maintainer" "$(changelog_date "$1" "$version")"
}

# The item being read, printed folded within 80 columns once it is complete: a bullet of its
# own, or under the group line of a subheading.
item="" grouped=0
flush_item() {
  [ -z "$item" ] && return
  local bullet="  * " indent="    "
  [ $grouped -eq 1 ] && bullet="    - " indent="      "
  printf '%s\n' "$item" | fold -s -w 72 | sed -e 's/ *$//' -e "1s/^/$bullet/" -e "2,\$s/^/$indent/"
  item=""
}

version="" day="" first=1
while IFS= read -r line; do
  if [[ $line =~ ^\ +(.*)$ ]]; then
    [ -n "$item" ] && item+=" ${BASH_REMATCH[1]}"
    continue
  fi
  flush_item
  if [[ $line =~ ^##\ ([0-9][0-9.]*)\ \(([0-9]{4}-[0-9]{2}-[0-9]{2})\)$ ]]; then
    [ -n "$version" ] && entry_end "$day" && echo
    version=${BASH_REMATCH[1]} day=${BASH_REMATCH[2]} first=1 grouped=0
    printf 'lftm (%s-%s) unstable; urgency=medium\n' "$version" "$revision"
  elif [[ $line =~ ^##\  ]]; then
    [ -n "$version" ] && entry_end "$day" && echo
    version="" # an unreleased section
  elif [ -z "$version" ]; then
    continue
  elif [[ $line =~ ^###\ (.*)$ ]]; then
    [ $first -eq 1 ] && echo
    printf '  * %s:\n' "${BASH_REMATCH[1]}"
    first=0 grouped=1
  elif [[ $line =~ ^-\ (.*)$ ]]; then
    [ $first -eq 1 ] && echo
    item=${BASH_REMATCH[1]} first=0
  fi
done < "$news"
flush_item
[ -n "$version" ] && entry_end "$day"
exit 0
