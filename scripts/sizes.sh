#!/usr/bin/env bash
# Lists the product's files over 400 lines and its functions over 60 lines (clang-tidy's
# readability-function-size, over the default build's compile_commands.json). Evidence for a
# review, not a gate: it exits 0 whatever it finds. Needs `cmake --preset default` first.
# Usage: scripts/sizes.sh [FILE...]   (default: every product source)
set -euo pipefail
cd "$(dirname "$0")/.."
db=build/default/compile_commands.json
[ -f "$db" ] || { echo "sizes: no $db (run cmake --preset default)"; exit 1; }
folders=(app pages res sensor device store sim cli diag)

echo "== files over 400 lines"
mapfile -t all < <(git ls-files -- "${folders[@]/%//*.cpp}" "${folders[@]/%//*.h}")
wc -l "${all[@]}" | awk '$2 != "total" && $1 > 400 { print "  " $2 ": " $1 " lines"; n++ }
  END { if (!n) print "  (none)" }'

echo "== functions over 60 lines"
if [ "$#" -gt 0 ]; then
  sources=("$@")
else
  # The sources the build compiles (the Windows-only ones are not in its database).
  mapfile -t sources < <(printf '%s\n' "${all[@]}" | grep '\.cpp$' |
    while read -r f; do grep -qF "/$f\"" "$db" && echo "$f"; done)
fi
config='{CheckOptions: [{key: readability-function-size.LineThreshold, value: 60}]}'
printf '%s\n' "${sources[@]}" |
  xargs -P "${JOBS:-2}" -n 4 clang-tidy -p build/default --quiet \
    -checks='-*,readability-function-size' -config="$config" 2>/dev/null |
  grep -E "warning: function .* exceeds|note: [0-9]+ lines" | paste - - |
  sed -E 's|^'"$PWD"'/||; s|:([0-9]+):[0-9]+: warning: function (.*) exceeds.*note: ([0-9]+) lines.*|:\1 \2: \3 lines|' |
  sort | sed 's/^/  /' | { grep . || echo "  (none)"; }
