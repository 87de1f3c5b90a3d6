#!/usr/bin/env bash
# The install into a temporary prefix and the Debian packages, as a newcomer
# gets them: the three programs run from the prefix, the desktop entry, the
# metainfo and the coordinator's systemd unit validate, the icons and man
# pages are in place, an installed copy keeps its files in the per-user data
# directory, and one cpack run makes the game's .deb and the coordinator's,
# each with its own files and run-time dependencies.
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
[[ $("$box/usr/bin/zonkards-coordinator" --version) == "zonkards-coordinator 1.0.2" ]] ||
  fail "zonkards-coordinator --version"
desktop-file-validate "$box/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$box/usr/share/metainfo/$id.metainfo.xml" >/dev/null || fail "metainfo"
for size in 16 32 48 64 128 256; do
  grep -q "$size x $size" <<<"$(file "$box/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")" ||
    fail "icon $size"
done
grep -q "<svg" "$box/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon"
for page in zonkards zonkards-host zonkards-coordinator; do
  grep -q "^NAME" <<<"$(MANWIDTH=80 man -l "$box/usr/share/man/man6/$page.6" 2>/dev/null)" || fail "man page $page"
done

# The coordinator's unit, its paths made the prefix's: systemd accepts it
# (its program and man page found, no unknown key), and it runs sandboxed.
unit="$box/usr/lib/systemd/system/zonkards-coordinator.service"
[[ -f "$box/etc/zonkards-coordinator/coordinator.conf" ]] || fail "no coordinator.conf beside the prefix"
grep -q "^EnvironmentFile=-$box/etc/zonkards-coordinator/coordinator.conf$" "$unit" || fail "unit: options file"
for key in DynamicUser=yes ProtectSystem=strict NoNewPrivileges=yes CapabilityBoundingSet= Restart=on-failure; do
  grep -qx "$key" "$unit" || fail "unit lacks $key"
done
if command -v systemd-analyze >/dev/null; then
  said=$(MANPATH="$box/usr/share/man" systemd-analyze verify "$unit" 2>&1) || fail "systemd-analyze verify: $said"
  ! grep -q zonkards-coordinator <<<"$said" || fail "systemd-analyze verify: $said"
fi

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

# The packages of one cpack run: their control fields and files.
if command -v dpkg-shlibdeps >/dev/null; then
  (cd "$build" && cpack -G DEB -B "$box/deb" >/dev/null) || fail "cpack"
  arch=$(dpkg --print-architecture)
  debs=("$box"/deb/*.deb)
  [[ ${#debs[@]} -eq 2 && -f "$box/deb/zonkards_1.0.2_$arch.deb" &&
    -f "$box/deb/zonkards-coordinator_1.0.2_$arch.deb" ]] || fail "packages: ${debs[*]##*/}"
  deb="$box/deb/zonkards_1.0.2_$arch.deb"
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in libqt6widgets6 libqt6network6 qt6-qpa-plugins libsdl2-2.0-0 libmpg123-0 libcurl4 libjpeg62-turbo; do
    grep -q "$p" <<<"$depends" || fail "Depends lacks $p: $depends"
  done
  contents=$(dpkg-deb -c "$deb")
  grep -q "./usr/bin/zonkards$" <<<"$contents" || fail "package lacks /usr/bin/zonkards"
  grep -q "./usr/share/applications/$id.desktop" <<<"$contents" || fail "package lacks the desktop entry"
  ! grep -q coordinator <<<"$contents" || fail "the game's package holds the coordinator's files"

  deb="$box/deb/zonkards-coordinator_1.0.2_$arch.deb"
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in libqt6core6 libqt6network6 libssl3; do
    grep -q "$p" <<<"$depends" || fail "coordinator Depends lacks $p: $depends"
  done
  ! grep -q "libqt6widgets6\|libsdl2\|libavahi\|libminiupnpc\|libnatpmp" <<<"$depends" || fail "coordinator depends on the game's libraries: $depends"
  contents=$(dpkg-deb -c "$deb")
  for f in usr/bin/zonkards-coordinator usr/share/man/man6/zonkards-coordinator.6 \
    usr/lib/systemd/system/zonkards-coordinator.service etc/zonkards-coordinator/coordinator.conf; do
    grep -q "\./$f$" <<<"$contents" || fail "coordinator package lacks /$f"
  done
  [[ $(dpkg-deb -I "$deb" conffiles) == /etc/zonkards-coordinator/coordinator.conf ]] || fail "conffiles"
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/systemd/system/zonkards-coordinator.service |
    grep -q "^ExecStart=/usr/bin/zonkards-coordinator " || fail "the packaged unit does not run /usr/bin/zonkards-coordinator"
fi
echo "install ok"
