#!/usr/bin/env bash
# Checks the HTML manual as a browser without scripts would meet it: UTF-8 text, no
# script, every page, style sheet and picture it refers to present relative to the page,
# and, where xmllint is installed, HTML that parses without errors.
# Usage: scripts/check-manual.sh PAGE.html...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: check-manual.sh PAGE.html..." >&2; exit 2; }
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
for page in "$@"; do
  [ -f "$page" ] || { fail "$page is missing"; continue; }
  iconv -f UTF-8 -t UTF-8 "$page" >/dev/null 2>&1 || fail "$page is not UTF-8"
  grep -qi '<meta charset="utf-8">' "$page" || fail "$page does not declare UTF-8"
  grep -Eqi '<script|javascript:| on[a-z]+=' "$page" && fail "$page carries script"
  dir=$(dirname "$page")
  while read -r target; do
    case $target in http://* | https://* | mailto:* | \#*) continue ;; esac
    [ -e "$dir/${target%%#*}" ] || fail "$page refers to $target, which is missing"
  done < <(grep -Eo '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/')
  if command -v xmllint >/dev/null; then
    # xmllint's HTML parser predates the HTML5 sectioning elements; it only says it does
    # not know them, which is no fault of the page.
    xmllint --html --noout "$page" 2>&1 | grep 'parser error' |
      grep -Ev 'Tag (header|nav|main|section|article|aside|footer|figure|figcaption) invalid' >&2 &&
      fail "$page does not parse cleanly"
  fi
done
[ "$failed" -eq 0 ] && echo "manual: $# page(s) good"
exit "$failed"
