#!/usr/bin/env bash
# Checks every relative link in README.md, CHANGELOG.md and docs/*.md: the file it names must
# exist, and a #anchor in it must be a heading of the Markdown file it leads to (in the form a
# project page gives headings: lower case, punctuation dropped, blanks turned into hyphens).
# Links with a scheme (https:, mailto:), and those to the project page's own pages
# (../../releases), are not checked. Fails listing every broken link.
set -euo pipefail
cd "$(dirname "$0")/.."

# The anchors of the headings of the Markdown file $1, one a line.
anchors() {
  awk '/^```/ { code = !code; next } !code && /^#+ / { sub(/^#+ +/, ""); print }' "$1" |
    tr '[:upper:]' '[:lower:]' | sed -e 's/[^a-z0-9 _-]//g' -e 's/ /-/g'
}

# The link targets of the Markdown file $1, one a line: fenced code and `code` spans left out.
targets() {
  awk '/^```/ { code = !code; next } !code' "$1" | sed 's/`[^`]*`//g' |
    grep -o '\]([^)]*)' | sed -e 's/^](//' -e 's/)$//' -e 's/ .*//' || true
}

broken=0
checked=0
for file in README.md CHANGELOG.md docs/*.md; do
  [ -e "$file" ] || continue
  dir="$(dirname "$file")"
  while IFS= read -r target; do
    case "$target" in
      # A link that climbs above the sources (../../releases) leads to the project page's own
      # pages, which no file here stands for.
      '' | *:* | ../../*) continue ;;
    esac
    checked=$((checked + 1))
    path="${target%%#*}"
    anchor=""
    [ "$path" = "$target" ] || anchor="${target#*#}"
    if [ -z "$path" ]; then
      resolved="$file"
    else
      resolved="$dir/$path"
    fi
    if [ ! -e "$resolved" ]; then
      echo "$file: link to $target: no such file $resolved"
      broken=$((broken + 1))
    elif [ -n "$anchor" ]; then
      if [ "${resolved##*.}" != md ] || ! anchors "$resolved" | grep -qxF -- "$anchor"; then
        echo "$file: link to $target: no heading #$anchor in $resolved"
        broken=$((broken + 1))
      fi
    fi
  done < <(targets "$file")
done
if [ "$broken" -ne 0 ]; then
  echo "check-links.sh: $broken of $checked relative links are broken"
  exit 1
fi
echo "check-links.sh: all $checked relative links lead to files and headings that exist"
