#!/usr/bin/env bash
# Builds every fuzz target (clang, libFuzzer, ASan + UBSan) and runs each for the given number
# of seconds (default 60) from its seed corpus in tests/corpus/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"${JOBS:-2}"
shopt -s nullglob
found=0
for exe in build/fuzz/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  found=1
  name=$(basename "$exe"); name=${name#fuzz_}
  work=build/fuzz/corpus-run/$name
  mkdir -p "$work"
  seeds=tests/corpus/$name
  echo "fuzz $name for ${seconds}s"
  "$exe" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=0 "$work" $( [ -d "$seeds" ] && echo "$seeds" ) 2>build/fuzz/$name.log \
    || { tail -50 build/fuzz/$name.log; echo "fuzz $name: FAILED"; exit 1; }
  echo "fuzz $name: no finding"
done
[ "$found" = 1 ] || echo "no fuzz targets built"
