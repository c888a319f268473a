#!/usr/bin/env bash
# Keeps the English translation i18n/tarvello_en.ts in step with the sources: lupdate collects
# every text marked for translation (tr(), QCoreApplication::translate, QT_TRANSLATE_NOOP) in
# the folders of the user interface and the command-line tool, adds the new ones (unfinished,
# for a translator to fill in) and drops the ones no source uses any more. Without source
# locations, so that moving code does not change the file.
#   scripts/lupdate.sh           refresh the file, then list what is left unfinished
#   scripts/lupdate.sh --check   change nothing; fail when a refresh would change the file or
#                                a message has no finished English text (a test runs this)
# LUPDATE names the lupdate program (default: Qt 6's, from qtpaths6).
set -euo pipefail
cd "$(dirname "$0")/.."
ts=i18n/tarvello_en.ts

lupdate=${LUPDATE:-}
if [ -z "$lupdate" ]; then
  bins=$(qtpaths6 --query QT_HOST_BINS 2>/dev/null || true)
  for candidate in "$bins/lupdate" /usr/lib/qt6/bin/lupdate "$(command -v lupdate || true)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { lupdate=$candidate; break; }
  done
fi
[ -n "$lupdate" ] || { echo "lupdate.sh: no lupdate (Debian: qt6-l10n-tools)" >&2; exit 2; }

folders=()
for folder in app pages res diag records cli; do
  [ -d "$folder" ] && folders+=("$folder")
done

# Messages without a finished English text: marked unfinished, or empty.
unfinished() {
  grep -nE '<translation type="unfinished"|<translation>\s*</translation>|<translation/>' "$1" || true
}

refresh() {
  "$lupdate" -silent -no-obsolete -locations none -extensions cpp,h \
    -source-language zh_CN -target-language en "${folders[@]}" -ts "$1"
}

if [ "${1:-}" = "--check" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$ts" "$work/tarvello_en.ts"
  refresh "$work/tarvello_en.ts"
  status=0
  if ! diff -u "$ts" "$work/tarvello_en.ts" >"$work/diff"; then
    echo "lupdate.sh: $ts is not up to date with the sources (run scripts/lupdate.sh):" >&2
    cat "$work/diff" >&2
    status=1
  fi
  left=$(unfinished "$work/tarvello_en.ts")
  if [ -n "$left" ]; then
    echo "lupdate.sh: messages without an English text:" >&2
    echo "$left" >&2
    status=1
  fi
  messages=$(grep -c '<message>' "$work/tarvello_en.ts" || true)
  [ "$status" = 0 ] && echo "lupdate.sh: $ts up to date, $messages messages, all translated"
  exit "$status"
fi

mkdir -p "$(dirname "$ts")"
refresh "$ts"
left=$(unfinished "$ts")
if [ -n "$left" ]; then
  echo "lupdate.sh: to translate in $ts:"
  echo "$left"
fi
echo "lupdate.sh: $(grep -c '<message>' "$ts" || true) messages in $ts"
