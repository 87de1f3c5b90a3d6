#!/usr/bin/env bash
# The install into a temporary prefix and the Debian package, as a newcomer
# gets them: both programs run from the prefix, the desktop entry and the
# metainfo validate, the icons and man pages are in place, an installed copy
# keeps its files in the per-user data directory, and the .deb names its
# run-time dependencies.
#   install_test.sh <build-folder>
set -euo pipefail
build="$1"
id=example.zonkards.Zonkards
box=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$box"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$box/usr" >/dev/null
[[ $("$box/usr/bin/zonkards" --version) == "zonkards 1.0.2" ]] || fail "zonkards --version"
[[ $("$box/usr/bin/zonkards-host" --version) == "zonkards-host 1.0.2" ]] || fail "zonkards-host --version"
desktop-file-validate "$box/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$box/usr/share/metainfo/$id.metainfo.xml" >/dev/null || fail "metainfo"
for size in 16 32 48 64 128 256; do
  grep -q "$size x $size" <<<"$(file "$box/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")" ||
    fail "icon $size"
done
grep -q "<svg" "$box/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon"
for page in zonkards zonkards-host; do
  grep -q "^NAME" <<<"$(MANWIDTH=80 man -l "$box/usr/share/man/man6/$page.6" 2>/dev/null)" || fail "man page $page"
done

# An installed copy writes its tally per user, not beside itself (the
# prefix is writable here, as /usr is for root).
mkdir -m 700 "$box/run"
env -u ZONKARDS_DATA_DIR QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$box/run" HOME="$box/home" \
  XDG_DATA_HOME="$box/home/data" ZONKARDS_PORT=$((30000 + RANDOM % 20000)) \
  "$box/usr/bin/zonkards" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 100); do
  [[ -e "$box/home/data/Zonkards" ]] && break
  sleep 0.1
done
sleep 1
kill -TERM "$pid"
wait "$pid" || true
[[ -f "$box/home/data/Zonkards/agametally.tld" ]] || fail "tally not in the per-user folder"
[[ -z $(ls "$box/usr/bin" | grep -v '^zonkards') ]] || fail "files written beside the program"

# The package: its control fields and files.
if command -v dpkg-shlibdeps >/dev/null; then
  (cd "$build" && cpack -G DEB -B "$box/deb" >/dev/null) || fail "cpack"
  deb=$(ls "$box"/deb/zonkards_1.0.2_*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in libqt6widgets6 libqt6network6 qt6-qpa-plugins libsdl2-2.0-0 libmpg123-0 libcurl4 libjpeg62-turbo; do
    grep -q "$p" <<<"$depends" || fail "Depends lacks $p: $depends"
  done
  contents=$(dpkg-deb -c "$deb")
  grep -q "./usr/bin/zonkards$" <<<"$contents" || fail "package lacks /usr/bin/zonkards"
  grep -q "./usr/share/applications/$id.desktop" <<<"$contents" || fail "package lacks the desktop entry"
fi
echo "install ok"
