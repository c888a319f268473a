#!/usr/bin/env bash
# Builds every fuzz target (clang, libFuzzer, ASan + UBSan, -O1) and runs each for the given
# number of seconds (default 60) from its seed corpus in tests/corpus/<name>/, with inputs as
# long as the tool's reads: replies 255 bytes (the longest read), adjust 1024 (several passes'
# replies), ini 1024 (a parameter file of many sections and keys). Then each target runs once on
# every case of tests/corpus/regression/<name>/ (inputs longer than fuzzing makes, such as a
# 64 KiB reply, which each target hands to its parsers whole). Prints each target's rate
# (libFuzzer's average inputs per second over the run).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
# The fuzz targets and what they link, nothing else of the tree.
cmake --build --preset fuzz -j"${JOBS:-2}" --target fuzzers
shopt -s nullglob
found=0
for exe in build/fuzz/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  found=1
  name=$(basename "$exe"); name=${name#fuzz_}
  case "$name" in
  replies) max_len=255 ;;
  adjust) max_len=1024 ;;
  ini) max_len=1024 ;;
  *) max_len=4096 ;;
  esac
  work=build/fuzz/corpus-run/$name
  mkdir -p "$work"
  seeds=tests/corpus/$name
  log=build/fuzz/$name.log
  echo "fuzz $name for ${seconds}s (inputs up to $max_len bytes)"
  "$exe" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" $( [ -d "$seeds" ] && echo "$seeds" ) 2>"$log" \
    || { tail -50 "$log"; echo "fuzz $name: FAILED"; exit 1; }
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  echo "fuzz $name: no finding, ${rate:-?} inputs/s"
  cases=(tests/corpus/regression/"$name"/*)
  if ((${#cases[@]})); then
    "$exe" "${cases[@]}" >"build/fuzz/$name.regression" 2>&1 \
      || { tail -50 "build/fuzz/$name.regression"; echo "fuzz $name regression: FAILED"; exit 1; }
    echo "fuzz $name: ${#cases[@]} regression case(s) pass"
  fi
done
[ "$found" = 1 ] || echo "no fuzz targets built"
