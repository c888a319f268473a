#!/usr/bin/env bash
# Makes the Debian package from the default preset's build (cpack in build/default, the files
# under /usr) into build/package, and checks it: lintian without errors, the files it holds,
# the dependencies it declares, the desktop entry and the metainfo through their validators,
# and the packaged programs run from the package unpacked into build/package/root.
# Install it with: apt install ./build/package/tarvello_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default
out=build/package
start=$SECONDS

# The packaged tool must print the package's version with --version. Set to yes once
# `tarvello --version` exists; until then only its --help is run.
check_tarvello_version=yes

for tool in cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate help2man; do
  command -v "$tool" >/dev/null || { echo "package: $tool missing (scripts/deps.sh installs it)"; exit 1; }
done
fail() {
  echo "package: $*" >&2
  exit 1
}

# The default build as it stands (scripts/test.sh has just built it): only what the install
# rules take is brought up to date.
[ -f "$build/CMakeCache.txt" ] || cmake --preset default >/dev/null
cmake --build --preset default -j"${JOBS:-2}" --target tarvello_installables >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$build/cpack.log" 2>&1 ||
  { cat "$build/cpack.log"; fail "cpack failed"; }
deb=$out/tarvello_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"

echo "== lintian"
# Errors fail the check; warnings and notes are shown (none: "lintian: clean").
lintian --fail-on error --display-info "$deb" >"$out/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$out/lintian.log" || echo "lintian: clean"
[ "${status:-0}" = 0 ] || fail "lintian found errors"

echo "== contents"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$out/contents"
expected=(
  /usr/bin/tarvello /usr/bin/tarvello-printer
  /usr/share/applications/org.tarvello.Tarvello.desktop
  /usr/share/metainfo/org.tarvello.Tarvello.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/tarvello.svg
  /usr/share/man/man1/tarvello.1.gz /usr/share/man/man1/tarvello-printer.1.gz
  /usr/share/doc/tarvello/copyright /usr/share/doc/tarvello/changelog.gz
  /usr/share/tarvello/translations/tarvello_en.qm
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("/usr/share/icons/hicolor/${size}x$size/apps/tarvello.png")
done
# The command-line tool, once the build has it.
if find "$build" -name tarvello-cli -type f -perm -u+x | grep -q .; then
  expected+=(/usr/bin/tarvello-cli /usr/share/man/man1/tarvello-cli.1.gz)
fi
for file in "${expected[@]}"; do
  grep -qxF "$file" "$out/contents" || fail "$file is not in the package"
done
echo "package: all ${#expected[@]} expected files present ($(grep -vc '/$' "$out/contents") files in all)"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6multimedia6 libqt6charts6 \
  libqt6sql6-sqlite libqt6sql6-psql fonts-arphic-ukai fonts-arphic-uming; do
  [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done
echo "package: Depends: $depends"

echo "== the unpacked package"
root=$out/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.tarvello.Tarvello.desktop" ||
  fail "desktop entry refused"
metainfo=$root/usr/share/metainfo/org.tarvello.Tarvello.metainfo.xml
output=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "metainfo refused: $output"
grep -qF "<release version=\"$version\"" "$metainfo" ||
  fail "the metainfo's release is not $version"
for size in "${sizes[@]}"; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/tarvello.png" | grep -qF "$size x $size," ||
    fail "the ${size}x$size icon is not $size pixels square"
done
echo "package: desktop entry and metainfo valid, the icons of the sizes they are named after"

# The manual page holds the window's Chinese names as they are (help2man writes "?" for what it
# cannot decode), and each with its English name beside it.
page=$(gzip -dc "$root/usr/share/man/man1/tarvello.1.gz")
grep -qF '"诊断" (Diagnostics)' <<<"$page" ||
  fail "tarvello.1 lacks the diagnostics button's name \"诊断\" (Diagnostics)"
if grep -qF '??' <<<"$page"; then
  fail "tarvello.1 holds \"??\" where help2man could not decode the help"
fi
echo "package: the manual page shows the Chinese names"

# Each program runs from the unpacked package, the tool without a display.
export QT_QPA_PLATFORM=offscreen
run() {
  timeout 30 "$root/usr/bin/$@" 2>&1 || fail "$* failed: exit code $?"
}
output=$(run tarvello --help)
grep -q -- --simulate <<<"$output" || fail "tarvello --help lists no --simulate: $output"
output=$(run tarvello-printer --help)
grep -q -- --help <<<"$output" || fail "tarvello-printer --help lists no --help: $output"
if [ -x "$root/usr/bin/tarvello-cli" ]; then
  # The command-line tool runs where there is no display: Qt Gui only for the PDF report (on the
  # offscreen platform), never Widgets, and every other command without a display at all.
  output=$(run tarvello-cli --version)
  grep -qF "$version" <<<"$output" || fail "tarvello-cli --version does not say $version: $output"
  output=$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY timeout 30 \
    "$root/usr/bin/tarvello-cli" --simulate --json status 2>&1) || fail "tarvello-cli status: $output"
  grep -qF '"ok":true' <<<"$output" || fail "tarvello-cli --simulate status failed: $output"
  needed=$(readelf -d "$root/usr/bin/tarvello-cli" | grep NEEDED || true)
  grep -qE 'libQt6Widgets' <<<"$needed" && fail "tarvello-cli needs the widgets library: $needed"
  echo "package: the packaged tarvello-cli ran on its virtual printer without a display, no Widgets"
fi
if [ "$check_tarvello_version" = yes ]; then
  output=$(run tarvello --version)
  grep -qF "$version" <<<"$output" || fail "tarvello --version does not say $version: $output"
  echo "package: the packaged tarvello --help and --version and tarvello-printer --help ran"
else
  echo "package: the packaged tarvello --help and tarvello-printer --help ran (tarvello --version: not checked yet)"
fi
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB); $((SECONDS - start)) s"
