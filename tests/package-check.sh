#!/usr/bin/env bash
# Checks the Debian package the way a desktop and a user meet it: its name and
# dependencies, the files where the desktop looks for them, the desktop entry,
# the AppStream metadata and the manual page validated, the unpacked program
# run from a temporary root, and lintian without errors.
#
#   bash tests/package-check.sh BUILD_DIR      # makes the package from a configured, built tree
#   bash tests/package-check.sh FILE.deb       # checks a package made before
#
# Everything happens in a temporary folder, removed at the end; nothing is
# installed on the machine. Exits non-zero when any check fails.
set -uo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
app_id=io.github.tarvelo.Tarvelo
arg="${1:-}"
if [ -z "$arg" ]; then
  echo "usage: $0 BUILD_DIR | FILE.deb" >&2
  exit 2
fi

tmp="$(mktemp -d /tmp/tarvelo-package-check.XXXXXX)"
trap 'rm -rf "$tmp"' EXIT
# The program and the tools run with a HOME of their own and no display.
export HOME="$tmp/home"
mkdir -p "$HOME"
unset TARVELO_HOME
export QT_QPA_PLATFORM=offscreen

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1"; }
# check NAME COMMAND...: runs the command, its output kept for a failure.
check() {
  local name="$1"; shift
  if "$@" >"$tmp/out.log" 2>&1; then
    pass "$name"
  else
    fail "$name"
    sed 's/^/    /' "$tmp/out.log"
  fi
}
finish() {
  echo "package-check: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

# The package: made here from the build tree (into the temporary folder, so
# the tree keeps no package files), or the one given.
if [ -d "$arg" ]; then
  build="$(cd "$arg" && pwd)"
  if ! (cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg") >"$tmp/cpack.log" 2>&1; then
    fail "cpack makes the Debian package"
    sed 's/^/    /' "$tmp/cpack.log"
    finish
  fi
  deb="$(ls "$tmp"/pkg/*.deb 2>/dev/null | head -n 1)"
else
  deb="$(cd "$(dirname "$arg")" && pwd)/$(basename "$arg")"
fi
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  fail "a Debian package to check"
  finish
fi
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB)"

field() { dpkg-deb -f "$deb" "$1"; }
version="$(field Version)"
arch="$(dpkg --print-architecture)"

check "file name is tarvelo_<version>_<arch>.deb" \
  test "$(basename "$deb")" = "tarvelo_${version}_${arch}.deb"
check "package name, architecture and section" \
  test "$(field Package)|$(field Architecture)|$(field Section)" = "tarvelo|$arch|misc"
depends="$(field Depends)"
echo "Depends: $depends"
echo "Recommends: $(field Recommends)"
check "dependencies from the linked libraries and the SQLite driver" bash -c '
  d="$1"
  for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6printsupport6 libqt6sql6-sqlite; do
    printf "%s\n" "$d" | tr "," "\n" | sed -E "s/^ *([^ ]+).*/\1/" | grep -qxF "$lib" || { echo "missing in Depends: $lib"; exit 1; }
  done' _ "$depends"
check "the PostgreSQL driver is recommended" bash -c '[[ "$1" == *libqt6sql6-psql* ]]' _ "$(field Recommends)"
check "maintainer and description are set" \
  bash -c '[[ "$1" == *"<"*"@"*">" ]] && [ -n "$2" ]' _ "$(field Maintainer)" "$(field Description)"

# Removing the package must never touch a user's data: it has no maintainer
# scripts that could.
mkdir -p "$tmp/control"
dpkg-deb -e "$deb" "$tmp/control"
check "no maintainer scripts (removal leaves user data alone)" \
  bash -c 'for s in preinst postinst prerm postrm; do [ ! -e "$1/$s" ] || { echo "has $s"; exit 1; }; done' _ "$tmp/control"

root="$tmp/root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"

# Files where the desktop, man and the packaging tools look for them.
expected=(
  usr/bin/tarvelo
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
  usr/share/icons/hicolor/scalable/apps/tarvelo.svg
  usr/share/man/man1/tarvelo.1.gz
  usr/share/doc/tarvelo/copyright
  usr/share/doc/tarvelo/changelog.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tarvelo.png")
done
missing=()
for f in "${expected[@]}"; do [ -f "$root/$f" ] || missing+=("$f"); done
check "installed files are in place" bash -c '[ "$#" -eq 0 ] || { printf "missing: %s\n" "$@"; exit 1; }' _ "${missing[@]}"
check "the program is executable" test -x "$root/usr/bin/tarvelo"
check "each PNG icon has its folder's size" python3 - "$root/usr/share/icons/hicolor" <<'EOF'
import struct, sys, pathlib
bad = []
for size in (16, 32, 48, 64, 128, 256):
    data = (pathlib.Path(sys.argv[1]) / f"{size}x{size}" / "apps" / "tarvelo.png").read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", data[16:24]) != (size, size):
        bad.append(size)
if bad:
    sys.exit(f"wrong size or not a PNG: {bad}")
EOF
check "the scalable icon is an SVG" grep -q "<svg" "$root/usr/share/icons/hicolor/scalable/apps/tarvelo.svg"

desktop="$root/usr/share/applications/$app_id.desktop"
check "desktop-file-validate" desktop-file-validate "$desktop"
check "desktop entry: Exec, Icon and Categories" bash -c '
  f="$1"
  grep -qx "Exec=tarvelo" "$f" && grep -qx "Icon=tarvelo" "$f" &&
  grep -qE "^Categories=(.*;)?Office;" "$f" && grep -qE "^Categories=(.*;)?Calendar;" "$f" &&
  grep -qE "^Comment=." "$f" && grep -qE "^Keywords=." "$f"' _ "$desktop"

metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
check "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
check "metainfo: id, launchable and this release" python3 - "$metainfo" "$app_id" "$version" <<'EOF'
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
app_id, version = sys.argv[2], sys.argv[3]
problems = []
if root.findtext("id") != app_id:
    problems.append("id is not " + app_id)
if root.findtext("launchable[@type='desktop-id']") != app_id + ".desktop":
    problems.append("launchable is not the installed desktop entry")
if root.find("content_rating") is None:
    problems.append("no content rating")
if version not in [r.get("version") for r in root.iter("release")]:
    problems.append(f"no release entry for version {version}")
if problems:
    sys.exit("; ".join(problems))
EOF

man_page="$root/usr/share/man/man1/tarvelo.1.gz"
check "man page has no formatting warnings" bash -c '
  out=$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null); [ -z "$out" ] || { echo "$out"; exit 1; }' _ "$man_page"

# The unpacked program runs from the temporary root on the system's Qt, with a
# temporary HOME and program folder.
prog="$tmp/prog"
mkdir -p "$prog"
if "$root/usr/bin/tarvelo" --help >"$tmp/help.txt" 2>&1; then
  pass "tarvelo --help"
else
  fail "tarvelo --help"
  sed 's/^/    /' "$tmp/help.txt"
fi
check "tarvelo --version" bash -c '"$1" --version | grep -q "Tarvelo"' _ "$root/usr/bin/tarvelo"
# Every option that --help prints is documented in the manual page.
options="$(grep -oE -- '--[a-z][a-z-]*' "$tmp/help.txt" | sort -u)"
check "--help lists its options" test -n "$options"
check "every --help option is in the man page" bash -c '
  page=$(zcat "$1"); shift
  for o in "$@"; do
    grep -qF -- "$(printf "%s" "$o" | sed "s/-/\\\\-/g")" <<<"$page" || { echo "not documented: $o"; exit 1; }
  done' _ "$man_page" $options
check "man page documents the program folder's files and TARVELO_HOME" bash -c '
  page=$(zcat "$1")
  for w in tarvelo.ini Error.txt Tarvelo.db Backup/ Export/ Groups.ini TARVELO_HOME; do
    grep -qF "$w" <<<"$page" || { echo "not documented: $w"; exit 1; }
  done' _ "$man_page"
check "tarvelo --create-database makes an SQLite database" bash -c '
  "$1" --home "$2" --create-database "$3" && head -c 15 "$3" | grep -q "SQLite format 3"' \
  _ "$root/usr/bin/tarvelo" "$tmp" "$tmp/x.db"
check "sample clinic and integrity check on a new program folder" bash -c '
  "$1" --home "$2" --create-database "$2/Tarvelo.db" && "$1" --home "$2" --load-sample &&
  "$1" --home "$2" --integrity-check' _ "$root/usr/bin/tarvelo" "$prog"
check "nothing written beside the installed program" bash -c '[ "$(ls "$1")" = tarvelo ] || { ls -l "$1"; exit 1; }' _ "$root/usr/bin"

# lintian: errors fail the check, warnings are shown. Tags that do not apply
# to this package are listed, each with the reason, in the suppressions file.
if lintian --allow-root --fail-on error --display-info \
     --suppress-tags-from-file "$here/packaging/lintian-suppressions" "$deb" >"$tmp/lintian.log" 2>&1; then
  pass "lintian reports no errors"
else
  fail "lintian reports no errors"
fi
sed 's/^/    lintian: /' "$tmp/lintian.log"

finish
