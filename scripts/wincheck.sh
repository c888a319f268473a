#!/usr/bin/env bash
# Compile-checks every product source for Windows with the MinGW-w64 cross compiler: the Win32
# serial backend, the atomic save through ReplaceFileA, and the window code's Windows branches
# (the system menu, the native event filter, Beep). The window code is checked against the Qt 6
# headers of this machine (Qt's own headers pick their Windows branches from the compiler);
# -fsyntax-only needs no moc output and no Qt for Windows, and -Wno-attributes silences the
# notes on Qt's dllimport attributes. The virtual printer's pseudo-terminal server and program
# have Windows stubs of their own, so sim/ is checked too.
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=x86_64-w64-mingw32-g++-posix
qt=${QT_INCLUDE:-/usr/include/x86_64-linux-gnu/qt6}
command -v "$cxx" >/dev/null || { echo "wincheck: $cxx missing (scripts/deps.sh installs it)"; exit 1; }
[ -d "$qt/QtWidgets" ] || { echo "wincheck: no Qt 6 headers in $qt (scripts/deps.sh installs them)"; exit 1; }
# The version the build passes to the programs' --version, from the project's CMakeLists.txt.
version=$(sed -nE 's/^project\(Tarvello VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
flags=(-std=c++17 -fsyntax-only -Wall -Wextra -Werror -Wno-attributes -I. -I"$qt"
       -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_SERIALPORT_LIB
       "-DTARVELLO_VERSION=\"$version\"")
for module in "$qt"/Qt*/; do
  flags+=(-I"${module%/}")
done
sources=(app/*.cpp pages/*.cpp diag/*.cpp res/*.cpp cli/*.cpp sensor/*.cpp device/*.cpp store/*.cpp sim/*.cpp)
# Two at a time, like the builds.
printf '%s\n' "${sources[@]}" |
  xargs -P "${JOBS:-2}" -I{} sh -c '"$0" "$@" {} || { echo "wincheck: {} does not compile for Windows"; exit 1; }' \
    "$cxx" "${flags[@]}" && status=0 || status=1
[ "$status" = 0 ] && echo "wincheck: all ${#sources[@]} product sources compile for Windows"
exit "$status"
