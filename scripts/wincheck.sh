#!/usr/bin/env bash
# Compile-checks every Qt-free source for Windows with the MinGW-w64 cross compiler: the Win32
# serial backend, the atomic save through MoveFileExA, and everything that must not use POSIX.
# (The Qt window code needs Qt for Windows and is not checked here.)
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || { echo "wincheck: $cxx missing (scripts/deps.sh installs it)"; exit 1; }
status=0
for f in app/SharedState.cpp device/*.cpp store/*.cpp sim/*.cpp $(ls pages/*.cpp | grep -v '/Page'); do
  if ! "$cxx" -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I. "$f"; then
    echo "wincheck: $f does not compile for Windows"
    status=1
  fi
done
[ "$status" = 0 ] && echo "wincheck: every Qt-free source compiles for Windows"
exit "$status"
