#!/usr/bin/env bash
# Checks that every include of the product points down the layers, each folder one library:
#   app -> pages, diag, res, sensor, device, store, sim (the executable and the main window)
#   diag -> res, sensor, device, store                  (the diagnostics window)
#   pages -> res, sensor, device, store                 (the widget pages and their helpers)
#   res -> (itself only)                                (templates, layout, control ids)
#   sensor -> device, store                             (the Qt-free sensor work)
#   device, store, sim -> (each itself only)
# and that no folder's file is left out of its folder's CMakeLists.txt (and no test out of
# its CMakeLists.txt), since the libraries list their sources by name. Prints the include
# graph (folder -> folder: number of includes) and every include or file that breaks the rules;
# fails on any. Tests, benchmarks and fuzz targets may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [app]="app pages diag res sensor device store sim"
  [diag]="diag res sensor device store"
  [pages]="pages res sensor device store"
  [res]="res"
  [sensor]="sensor device store"
  [device]="device"
  [store]="store"
  [sim]="sim"
)
folders=(app pages diag res sensor device store sim)
status=0

echo "== include graph (folder -> folder: includes)"
for folder in "${folders[@]}"; do
  mapfile -t files < <(git ls-files -- "$folder/*.cpp" "$folder/*.h")
  [ "${#files[@]}" -gt 0 ] || { echo "layering: $folder/ has no sources"; status=1; continue; }
  # Every project include as "file:line:target-folder".
  while IFS=: read -r file line target; do
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "layering: $file:$line includes $target/ (allowed from $folder/: ${allowed[$folder]})"
      status=1
    fi
  done < <(grep -nE '^#include "[a-z]+/' "${files[@]}" /dev/null | sed -E 's|^([^:]*):([0-9]+):#include "([a-z]+)/.*|\1:\2:\3|')
  edges=$(grep -hoE '^#include "[a-z]+/' "${files[@]}" /dev/null | sed -E 's|#include "||; s|/||' |
    { grep -vx "$folder" || true; } | sort | uniq -c | awk '{ printf "%s%s: %s", sep, $2, $1; sep = ", " }')
  echo "  $folder -> ${edges:-(none)}"
done

echo "== every source in its folder's CMakeLists.txt"
for folder in "${folders[@]}"; do
  lists=$folder/CMakeLists.txt
  [ -f "$lists" ] || { echo "layering: no $lists"; status=1; continue; }
  for file in $(git ls-files -- "$folder/*.cpp" "$folder/*.h" "$folder/*.qrc"); do
    name=${file#"$folder"/}
    grep -qwF -- "$name" "$lists" || { echo "layering: $file is not listed in $lists"; status=1; }
  done
done
for file in $(git ls-files -- 'tests/*_test.cpp'); do
  name=$(basename "$file" .cpp)
  lists=$(dirname "$file")/CMakeLists.txt
  grep -qwF -- "$name" "$lists" || { echo "layering: $file is not listed in $lists"; status=1; }
done

[ "$status" = 0 ] && echo "layering: every include points down; every source is listed"
exit "$status"
