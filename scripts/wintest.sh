#!/usr/bin/env bash
# Builds the Qt-free libraries (device link, parameter store, the pages' work) and their tests
# for Windows with MinGW-w64 and runs them under Wine:
#   1. the unit and store tests (ctest --preset windows);
#   2. the Win32 serial tests, one test group at a time, each against the virtual printer
#      (the native build/default/tarvello-printer) started in the mode that group needs on a
#      pseudo-terminal which the wine prefix maps as COM1.
# The wine prefix is build/windows/wine (WINEPREFIX), made on the first run: wineboot without a
# display and without the Mono and Gecko installers, then the registry value
# HKLM\Software\Wine\Ports COM1=build/windows/com1 and a server restart, after which Wine's
# COM1 is that path. Each printer points the symbolic link build/windows/com1 at its own
# pseudo-terminal when it starts (--link).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}
build=$root/build/windows
printer=$root/build/default/tarvello-printer
tests=$build/tests/win
com1=$build/com1
start=$SECONDS

export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
unset DISPLAY WAYLAND_DISPLAY
for tool in wine wineboot wineserver x86_64-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null || { echo "wintest: $tool missing (scripts/deps.sh installs it)"; exit 1; }
done

if [ ! -x "$printer" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default -j"$jobs" --target tarvello-printer
fi

echo "== Windows build (MinGW-w64)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"

printer_pid=
cleanup() {
  if [ -n "$printer_pid" ]; then
    kill "$printer_pid" 2>/dev/null || true
    wait "$printer_pid" 2>/dev/null || true
  fi
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT

echo "== wine prefix $WINEPREFIX"
mkdir -p "$build"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
fi
if ! grep -qF "\"COM1\"=\"$com1\"" "$WINEPREFIX/system.reg"; then
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com1" /f </dev/null >/dev/null 2>&1
  wineserver -k </dev/null >/dev/null 2>&1 # saves the registry; the next server maps COM1
  wineserver -w </dev/null >/dev/null 2>&1
fi
# One server and the prefix's services for the whole run, started with no output of ours open
# (a service holding a pipe would keep the pipe's reader waiting).
wineserver -p </dev/null >/dev/null 2>&1
wine cmd.exe /c exit </dev/null >/dev/null 2>&1

echo "== Windows tests under Wine"
status=0
# Verbose into a log: the results and every skip with its reason are shown, the whole output
# when something failed.
if ctest --preset windows -V >"$build/ctest.log" 2>&1; then
  grep -E '^[0-9]+/[0-9]+ Test|tests passed' "$build/ctest.log"
  grep -h -B1 '^[0-9]*: \[  SKIPPED \] .*ms)$' "$build/ctest.log" || true
else
  cat "$build/ctest.log"
  status=1
fi

# Runs one group of the serial tests against a printer started with the given options.
run_group() {
  local group=$1
  shift
  local out=$build/printer-$group.out log=$build/$group.log
  : >"$out"
  "$printer" --link "$com1" "$@" </dev/null >"$out" 2>"$build/printer-$group.err" &
  printer_pid=$!
  for _ in $(seq 100); do
    [ -s "$out" ] && break
    sleep 0.05
  done
  if [ ! -s "$out" ]; then
    echo "wintest: the printer for $group did not start"
    cat "$build/printer-$group.err"
    kill "$printer_pid" 2>/dev/null || true
    printer_pid=
    return 1
  fi
  local rc=0
  timeout -k 10 300 wine "$tests/win_serial_printer_test.exe" --gtest_filter="$group.*" \
    </dev/null >"$log" 2>&1 || rc=$?
  kill "$printer_pid"
  wait "$printer_pid" 2>/dev/null || true
  printer_pid=
  cat "$log"
  return "$rc"
}

echo "== Win32 serial tests on COM1 under Wine, the virtual printer on a pseudo-terminal"
run_group WinLine || status=1
run_group WinReadings --reflective-reading 128 --transmissive-reading 12 --status-reply x5/ || status=1
run_group WinSending --oversize 600 --split 20,20 || status=1
echo "wintest: $((SECONDS - start)) s"
exit "$status"
