#!/usr/bin/env bash
# Checks that every include of the product points down the layers, each folder one library.
# The table below is the rule: each product folder and the folders it may include (itself
# first). Folders that do not exist yet are skipped, so a new folder only has to appear:
#   app    the executable and the main window: on pages, res, records, sensor, device, store,
#          sim, diag
#   diag   the diagnostics window: on res, records, sensor, device, store
#   pages  the widget pages and their helpers: on res, records, sensor, device, store
#   res    templates, layout, control ids: itself only
#   cli    the command-line tool: on records, sensor, device, store, sim; no folder includes it
#   records calibration records, profiles, the plant database: on sensor, device, store
#   sensor the Qt-free sensor work: on device, store
#   device, store, sim: each itself only
# It also checks that no folder's file is left out of its folder's CMakeLists.txt (and no test
# out of its CMakeLists.txt), since the libraries list their sources by name. Prints the
# include graph (folder -> folder: number of includes) and every include or file that breaks
# the rules; fails on any. Tests, benchmarks and fuzz targets may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

folders=(app diag pages res cli records sensor device store sim)
declare -A allowed=(
  [app]="app pages res records sensor device store sim diag"
  [diag]="diag res records sensor device store"
  [pages]="pages res records sensor device store"
  [res]="res"
  [cli]="cli records sensor device store sim"
  [records]="records sensor device store"
  [sensor]="sensor device store"
  [device]="device"
  [store]="store"
  [sim]="sim"
)
status=0
present=()
for folder in "${folders[@]}"; do
  [ -d "$folder" ] && present+=("$folder")
done

# A project include: "folder/..." (indented or not, any spacing after the '#').
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z0-9_]+/'

echo "== include graph (folder -> folder: includes)"
for folder in "${present[@]}"; do
  mapfile -t files < <(git ls-files -- "$folder/*.cpp" "$folder/*.h")
  [ "${#files[@]}" -gt 0 ] || { echo "layering: $folder/ has no sources"; status=1; continue; }
  # Every project include as "file:line:target-folder".
  while IFS=: read -r file line target; do
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "layering: $file:$line includes $target/ (allowed from $folder/: ${allowed[$folder]})"
      status=1
    fi
  done < <(grep -nE "$include" "${files[@]}" /dev/null |
    sed -E 's|^([^:]*):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z0-9_]+)/.*|\1:\2:\3|')
  edges=$(grep -hE "$include" "${files[@]}" /dev/null |
    sed -E 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z0-9_]+)/.*|\1|' |
    { grep -vx "$folder" || true; } | sort | uniq -c | awk '{ printf "%s%s: %s", sep, $2, $1; sep = ", " }')
  echo "  $folder -> ${edges:-(none)}"
done

echo "== every source in its folder's CMakeLists.txt"
for folder in "${present[@]}"; do
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
