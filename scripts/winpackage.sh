#!/usr/bin/env bash
# The Windows install and installer configuration, run as far as this machine allows: there is
# no Qt for Windows here, so dist/windows/dryrun stands in for the three programs and for Qt's
# deploy script and includes the real cmake/Install.cmake and cmake/Packaging.cmake. Built with
# MinGW-w64 into build/winpackage, installed, then checked: the programs in bin, the deploy
# script run after them, a translation in its place, the tool's icon in its executable; then
# the NSIS installer is made with Debian's makensis and its script checked for the Start-menu
# shortcut and the icon.
# (The installer itself is a 32-bit program, which Wine without its 32-bit part cannot run;
# the MSI through WiX needs the WiX toolset, which Debian does not have.)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/winpackage
start=$SECONDS
for tool in x86_64-w64-mingw32-g++-posix makensis wrestool; do
  command -v "$tool" >/dev/null || { echo "winpackage: $tool missing (scripts/deps.sh installs it)"; exit 1; }
done
fail() {
  echo "winpackage: $*"
  exit 1
}

rm -rf "$build"
mkdir -p "$build"
log=$build/winpackage.log
cmake -S dist/windows/dryrun -B "$build" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQt6_DIR="$root/dist/windows/dryrun/qt6" >"$log" 2>&1 ||
  { cat "$log"; fail "configure failed"; }
cmake --build "$build" -j"${JOBS:-2}" >>"$log" 2>&1 || { cat "$log"; fail "build failed"; }
cmake --install "$build" --prefix "$build/root" >>"$log" 2>&1 ||
  { cat "$log"; fail "install failed"; }

for file in bin/tarvello.exe bin/tarvello-printer.exe bin/tarvello-cli.exe bin/qt.conf \
  share/tarvello/translations/tarvello_en.qm; do
  [ -f "$build/root/$file" ] || fail "$file not installed"
done
[ ! -e "$build/root/share/applications" ] || fail "a desktop entry installed on Windows"
wrestool -l --type=14 "$build/root/bin/tarvello.exe" | grep -q 'name=128' ||
  fail "tarvello.exe has no icon"

cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$build/package" >>"$log" 2>&1 ||
  { cat "$log"; fail "cpack -G NSIS failed"; }
installer=$(ls "$build"/package/*.exe)
nsi=$build/package/_CPack_Packages/win64/NSIS/project.nsi
grep -qF 'CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Tarvello.lnk" "$INSTDIR\bin\tarvello.exe"' "$nsi" ||
  fail "no Start-menu shortcut to the tool in $nsi"
grep -qF "!define MUI_ICON \"$root/dist/windows/tarvello.ico\"" "$nsi" || fail "the installer has no icon"
echo "winpackage: $(basename "$installer") ($(du -k "$installer" | cut -f1) KiB) with a Start-menu shortcut; $((SECONDS - start)) s"
