#!/usr/bin/env bash
# Builds the Debian package, installs it with apt on this machine and runs the installed
# program the way a user would: --version, --inspect on a generated card archive, and the
# headless service with a simulated ZEP adapter on a pseudo-terminal mapped to COM5, turning its
# archives into import files through the installed sample drivers. The package is removed again
# at the end. Run as root (or with sudo available).
# Usage: scripts/package-test.sh [BUILD_DIR]   (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-package}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

echo "== building the package"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$(nproc)" --target zepimport vl_m1 vl_kolvar zep-sim cardgen >/dev/null
rm -f "$build"/zepimport_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(realpath "$(ls "$build"/zepimport_*.deb)")"
dpkg-deb --field "$deb" Package Version Depends

work="$(mktemp -d /tmp/zepimport-package.XXXXXX)"
service_pid=""
window_pid=""
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    [ -n "$service_pid" ] && kill -KILL "$service_pid" 2>/dev/null || true
    [ -n "$window_pid" ] && kill -KILL "$window_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    $sudo apt-get remove -y -q --purge zepimport >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== installing $deb"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
for file in /usr/bin/zepimport /usr/lib/zepimport/zepimport-window /usr/lib/zepimport/drivers/vl_m1.so \
            /usr/lib/zepimport/drivers/vl_kolvar.so /usr/include/zepimport/vl_driver.h \
            /usr/share/doc/zepimport/service.md /usr/share/applications/zepimport.desktop \
            /usr/share/icons/hicolor/scalable/apps/zepimport.svg \
            /usr/lib/systemd/user/zepimport.service; do
    [ -e "$file" ] || { echo "missing after install: $file"; exit 1; }
done
grep -qx 'ExecStart=/usr/bin/zepimport --headless' /usr/lib/systemd/user/zepimport.service

echo "== zepimport --version"
/usr/bin/zepimport --version

echo "== zepimport --inspect on a generated card archive"
"$build/bin/cardgen" "$work/card" --archives 1 >/dev/null
archive="$(ls "$work"/card/Pexilor/Tessal/*.zep | head -n 1)"
/usr/bin/zepimport --inspect "$archive" > "$work/inspect.txt"
head -n 3 "$work/inspect.txt"
grep -q 'check word ok' "$work/inspect.txt"

# The service as a user runs it: the installed program's folder cannot be written, so the
# program folder is $XDG_DATA_HOME/zepimport. As root every folder is writable, so the service
# and the device then run as nobody. No user systemd runs in CI: the service is started
# directly, with the command line of its unit.
echo "== headless service with a simulated adapter on COM5"
runner=()
if [ "$(id -u)" -eq 0 ]; then
    runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    cp "$build/bin/zep-sim" "$work/zep-sim"
    chown -R 65534:65534 "$work"
else
    cp "$build/bin/zep-sim" "$work/zep-sim"
fi
# A plain command line, so that a program started in the background is itself the job.
as_user=("${runner[@]}" env HOME="$work/home" XDG_CONFIG_HOME="$work/config"
         XDG_DATA_HOME="$work/data" ZEPIMPORT_MEDIA_ROOTS=)
as_user() { "${as_user[@]}" "$@"; }
as_user mkdir -p "$work/config/Kestrom" "$work/data/zepimport" "$work/import" "$work/home"
as_user sh -c "printf '[General]\nDrivers=/usr/lib/zepimport/drivers\nImport=$work/import\n' \
    > '$work/config/Kestrom/Velmora.conf'"
as_user sh -c "printf '[COM Port]\r\nm_port=5\r\n' > '$work/data/zepimport/zepimport.ini'"
"${as_user[@]}" "$work/zep-sim" --generate 2 --com 5 >"$work/sim.txt" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -L "$work/config/zepimport/ports/COM5" ] && break; sleep 0.1; done
"${as_user[@]}" /usr/bin/zepimport --headless >"$work/out.txt" 2>"$work/err.txt" &
service_pid=$!
for _ in $(seq 300); do
    [ "$(ls "$work/import" | grep -c '[.]imp$')" -ge 2 ] && break
    sleep 0.1
done
kill -TERM "$service_pid"
status=0
wait "$service_pid" || status=$?
service_pid=""
cat "$work/err.txt" "$work/out.txt"
ls -l "$work/import"
[ "$status" -eq 0 ] || { echo "the service ended with status $status"; exit 1; }
[ "$(ls "$work/import" | grep -c '[.]imp$')" -eq 2 ] || { echo "expected 2 import files"; exit 1; }
grep -q "program folder $work/data/zepimport" "$work/err.txt"
if grep -q $'\x1b' "$work/out.txt"; then echo "colour codes in non-terminal output"; exit 1; fi

# The window program in the installed program library folder, run by zepimport in its place:
# once it has taken the process over it catches SIGTERM and ends with the closing steps.
echo "== zepimport opens its window (offscreen)"
"${as_user[@]}" QT_QPA_PLATFORM=offscreen /usr/bin/zepimport >"$work/window.txt" 2>&1 &
window_pid=$!
for _ in $(seq 300); do
    [ $((0x$(awk '/^SigCgt/ { print $2 }' "/proc/$window_pid/status" 2>/dev/null) & 0x4000)) -ne 0 ] && break
    sleep 0.1
done
kill -TERM "$window_pid"
status=0
wait "$window_pid" || status=$?
window_pid=""
[ "$status" -eq 0 ] || { cat "$work/window.txt"; echo "the window ended with status $status"; exit 1; }

echo "== removing the package"
$sudo apt-get remove -y -q --purge zepimport >/dev/null
[ ! -e /usr/bin/zepimport ]
echo "== package test passed"
