#!/usr/bin/env bash
# Installs the build into a fresh prefix (cmake --install) and checks what a desktop needs of it:
# the two programs, a valid menu entry that starts the installed program on the two file types,
# the icon, the file types themselves, the user's guide where the program looks for it (with
# every page and picture it links to), and the example data that the installed zelkor-cli reads.
# Usage: check-installed-tree.sh BUILD_DIR GUIDE_RELATIVE_TO_BIN
set -euo pipefail
build="$1"
guide_relative="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAILED: $1 is not installed (scripts/install-deps.sh)" >&2; exit 1; }; }
need desktop-file-validate
need xmllint
need update-mime-database

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log" >&2; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"

for program in zelkor zelkor-cli; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done

# The menu entry.
desktop="$prefix/share/applications/zelkor.desktop"
if [ -f "$desktop" ]; then
  report="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $report"
  if grep -E "(error|warning):" <<<"$report" >&2; then fail "the menu entry has errors or warnings"; fi
  exec_line="$(grep '^Exec=' "$desktop")"
  [ "$exec_line" = "Exec=\"$prefix/bin/zelkor\" %f" ] || fail "the entry starts '$exec_line', not the installed program"
  grep -q '^Name\[ja\]=' "$desktop" || fail "the entry has no Japanese name"
  grep -q '^Name=' "$desktop" || fail "the entry has no English name"
  for category in Science Education; do
    grep -Eq "^Categories=(.*;)?$category;" "$desktop" || fail "the entry is not in the category $category"
  done
  for type in application/x-zelkor-table application/x-zelkor-database; do
    grep -Eq "^MimeType=(.*;)?$type;" "$desktop" || fail "the entry does not open $type"
  done
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon.svg"
  xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" || fail "the icon is no well-formed SVG"
else
  fail "share/applications/zelkor.desktop is not installed"
fi

# The file types: well-formed, the two globs declared, and taken up by the MIME database.
mime="$prefix/share/mime/packages/zelkor.xml"
if xmllint --noout "$mime"; then
  ns='http://www.freedesktop.org/standards/shared-mime-info'
  for pair in application/x-zelkor-table:'*.vtb' application/x-zelkor-database:'*.zki'; do
    type="${pair%%:*}"
    glob="${pair#*:}"
    found="$(xmllint --xpath "string(//*[local-name()='mime-type' and @type='$type']/*[local-name()='glob']/@pattern)" "$mime")"
    [ "$found" = "$glob" ] || fail "$type does not declare the glob $glob (found '$found')"
  done
  grep -q "xmlns=\"$ns\"" "$mime" || fail "the MIME package is not in the shared-mime-info namespace"
  report="$(update-mime-database "$prefix/share/mime" 2>&1)" || fail "update-mime-database refused the package: $report"
  grep -qx 'application/x-zelkor-table:\*\.vtb' "$prefix/share/mime/globs" || fail "the MIME database has no *.vtb"
  grep -qx 'application/x-zelkor-database:\*\.zki' "$prefix/share/mime/globs" || fail "the MIME database has no *.zki"
else
  fail "share/mime/packages/zelkor.xml is missing or not well-formed"
fi

# The guide, where the program looks for it, with everything its pages link to.
guide="$prefix/bin/$guide_relative"
if [ -f "$guide/index.html" ]; then
  for page in "$guide"/*.html; do
    for target in $(grep -oE '(href|src)="[^"#:]+' "$page" | sed -E 's/^(href|src)="//'); do
      [ -e "$guide/$target" ] || fail "$(basename "$page") links to $target, which is not installed"
    done
  done
else
  fail "no guide at bin/$guide_relative/index.html"
fi

# The example data, read by the installed batch front end.
examples="$prefix/share/zelkor/examples"
for file in dune.zki dune.zkd dune.dic README.md; do
  [ -f "$examples/$file" ] || fail "share/zelkor/examples/$file is not installed"
done
"$prefix/bin/zelkor-cli" info "$examples/dune.zki" >/dev/null || fail "the installed zelkor-cli cannot read the installed example database"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) of the installed tree failed" >&2
  exit 1
fi
echo "installed tree: programs, menu entry, icon, file types, guide and examples in place"
