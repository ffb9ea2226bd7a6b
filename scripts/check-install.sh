#!/usr/bin/env bash
# scripts/check-install.sh [BUILD_DIR] - installs a built tree into a scratch
# DESTDIR and checks it as a user would meet it: the programs start from
# there with the source and build folders out of reach, find their help and
# archiver libraries, the desktop entry, description, man pages and
# completion are valid, and the Debian package holds the same files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d /tmp/navirt-install.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
dest=$scratch/root
usr=$dest/usr
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
step() { echo "-- $*"; }

step "cmake --install into $dest"
DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null

step "the installed files"
expected=(
  bin/navirt bin/navirt-tool bin/navirt-dir
  share/navirt/help/index.html share/navirt/help/keywords.html share/navirt/help/usage.html
  share/applications/navirt.desktop share/metainfo/navirt.metainfo.xml
  share/icons/hicolor/scalable/apps/navirt.svg
  share/icons/hicolor/48x48/apps/navirt.png share/icons/hicolor/256x256/apps/navirt.png
  share/man/man1/navirt.1.gz share/man/man1/navirt-tool.1.gz share/man/man1/navirt-dir.1.gz
  share/bash-completion/completions/navirt-tool share/bash-completion/completions/navirt-dir
)
for lib in unlha32 unzip32 zip32j lmzip32 tar32 cab32 unarj32j bga32 unrar32; do
  expected+=("lib/navirt/lib$lib.so")
done
for f in "${expected[@]}"; do
  [ -e "$usr/$f" ] || fail "not installed: /usr/$f"
done
for size in 48 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/navirt.png
  # The width and height of a PNG are the big-endian words at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims, not ${size}x${size}"
done
for f in "$usr"/bin/* "$usr"/lib/navirt/*.so; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF -e "$build" -e "$root"; then
    fail "$f keeps a search path into the build: $(readelf -d "$f" | grep -E 'R(UN)?PATH')"
  fi
done

step "the programs with the source and build folders out of reach"
work=$scratch/work
mkdir -p "$work/in"
cp "$root/samples/05_sjis.txt" "$root/samples/04_euc.txt" "$work/in/"
cat >"$scratch/run.sh" <<EOF
set -eu
cd "$work"
bin=$usr/bin
echo "version: \$(\$bin/navirt-tool --version)"
echo "detect: \$(\$bin/navirt-tool detect in/05_sjis.txt)"
echo "help: \$(\$bin/navirt-tool sysinfo help)"
\$bin/navirt-tool arc create pack.lzh in/05_sjis.txt in/04_euc.txt >/dev/null
\$bin/navirt-tool arc extract pack.lzh -o out >/dev/null
cmp in/05_sjis.txt out/in/05_sjis.txt && cmp in/04_euc.txt out/in/04_euc.txt && echo "lzh: same bytes"
echo "dir: \$(\$bin/navirt-dir in /B | tr '\n' ' ')"
if [ -n "${NAVIRT_CHECK_GUI:-1}" ] && [ -x \$bin/navirt ]; then
  HOME=$work NAVIRT_INI=$work/navirt.ini QT_QPA_PLATFORM=offscreen NAVIRT_QUIT_AFTER_START=1 \
    timeout 60 \$bin/navirt $work/in/05_sjis.txt >/dev/null 2>&1 && echo "window: started"
fi
EOF
hide=""
# A private mount namespace hides the checkout: only the installed tree is left.
if unshare -rm true 2>/dev/null; then
  hide="mount -t tmpfs none '$root';"
  case $build in "$root"/*) ;; *) hide="$hide mount -t tmpfs none '$build';" ;; esac
  out=$(unshare -rm sh -c "$hide sh '$scratch/run.sh'" 2>&1) || true
else
  echo "   (no mount namespace here: the checkout stays visible)"
  out=$(sh "$scratch/run.sh" 2>&1) || true
fi
echo "$out" | sed 's/^/   /'
version=$(sed -n 's/^project(Navirt VERSION \([0-9]*\.[0-9]*\).*/\1/p' "$root/CMakeLists.txt")
grep -qx "version: navirt-tool $version" <<<"$out" || fail "navirt-tool --version from the install"
grep -qx "detect: 5 CodeSjis" <<<"$out" || fail "navirt-tool detect from the install"
grep -qx "help: $usr/share/navirt/help/index.html" <<<"$out" || fail "the help is not found from the install"
grep -qx "lzh: same bytes" <<<"$out" || fail "an LZH made and extracted by the install (its libraries)"
grep -qx "dir: 04_euc.txt 05_sjis.txt " <<<"$out" || fail "navirt-dir from the install"
if [ -x "$usr/bin/navirt" ]; then
  grep -qx "window: started" <<<"$out" || fail "navirt did not start from the install"
fi

step "desktop entry and description"
desktop-file-validate "$usr/share/applications/navirt.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/navirt.metainfo.xml" >"$scratch/as.txt" 2>&1 ||
  fail "appstreamcli validate: $(cat "$scratch/as.txt")"

step "man pages"
for page in "$usr"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "EXAMPLE" || fail "$(basename "$page") has no example"
done

step "bash completion"
completions=/usr/share/bash-completion/bash_completion
if [ -r "$completions" ]; then
  got=$(bash -c "
    source $completions
    source $usr/share/bash-completion/completions/navirt-tool
    source $usr/share/bash-completion/completions/navirt-dir
    ask() { COMP_WORDS=(\"\$@\"); COMP_CWORD=\$((\$# - 1)); COMP_LINE=\"\$*\"; COMP_POINT=\${#COMP_LINE}
            COMPREPLY=(); \$fn \"\$1\" \"\${COMP_WORDS[COMP_CWORD]}\" \"\${COMP_WORDS[COMP_CWORD-1]}\"; echo \"\${COMPREPLY[*]}\"; }
    fn=_navirt_tool; ask navirt-tool co; ask navirt-tool conv sjis2; ask navirt-tool lines del-e
    fn=_navirt_dir; ask navirt-dir /O:-
  ")
  expected_completions=$'conv\nsjis2jis sjis2euc\ndel-empty\n/O:-N /O:-S /O:-E /O:-D /O:-G /O:-A'
  [ "$got" = "$expected_completions" ] || fail "completion gave: $got"
else
  echo "   (bash-completion is not installed: not tried)"
fi

step "the Debian package"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >"$scratch/cpack.txt" 2>&1) || fail "cpack: $(tail -n 20 "$scratch/cpack.txt")"
deb=$(ls "$build"/package/navirt_*.deb 2>/dev/null | head -n1)
if [ -n "$deb" ]; then
  echo "   $(basename "$deb"): $(du -h "$deb" | cut -f1)"
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | sort >"$scratch/deb-files.txt"
  for f in "${expected[@]}"; do
    grep -qx "/usr/$f" "$scratch/deb-files.txt" || fail "the package lacks /usr/$f"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  for d in libqt6widgets6 libicu fonts-noto-cjk xdg-utils qt6-translations-l10n libarchive; do
    grep -q "$d" <<<"$depends" || fail "the package does not depend on $d: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Package)" = navirt ] || fail "the package is not named navirt"
  [ "$(dpkg-deb -f "$deb" Version)" = "$(sed -n 's/^project(Navirt VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")" ] ||
    fail "the package's version is not the project's"
else
  fail "cpack made no .deb"
fi

if [ "$failures" -gt 0 ]; then
  echo "install check: $failures failure(s)" >&2
  exit 1
fi
echo "install check: passed"
