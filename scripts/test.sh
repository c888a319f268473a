#!/usr/bin/env bash
# Installs what is missing, checks that every include points down the layers, builds, and runs
# every test: the plain build, its Debian package checked, the build under AddressSanitizer +
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, the Windows syntax check
# of every source, the Windows build's tests under Wine, the Windows installer's dry run, and a
# short bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=${JOBS:-2}

echo "== layering: every include points down, every source is listed"
scripts/layering.sh

echo "== build and test (default)"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default

echo "== Debian package from the default build: lintian, its contents, its programs run"
scripts/package.sh

echo "== build and test (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan

echo "== threaded tests, the window's included (ThreadSanitizer; tests/tsan.supp names Qt's own races)"
cmake --preset tsan >/dev/null
# Only what the threaded tests run: the tests labelled threaded and the programs they start.
mapfile -t tsan_targets < <(grep -l '^// test-labels:.*threaded' tests/*_test.cpp | xargs -n1 basename | sed 's/\.cpp$//')
cmake --build --preset tsan -j"$jobs" --target "${tsan_targets[@]}" tarvello tarvello-printer
ctest --preset tsan

echo "== Windows compile check of every product source"
scripts/wincheck.sh

echo "== Windows build, its tests under Wine, the Win32 serial path against the virtual printer"
scripts/wintest.sh

echo "== Windows install and installer configuration (dry run: stand-ins for Qt, NSIS)"
scripts/winpackage.sh

echo "== fuzz targets (bounded)"
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
