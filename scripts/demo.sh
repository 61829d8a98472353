#!/usr/bin/env bash
# The main job on a machine without devices: the service runs with a throw-away program folder
# and dispatch-system configuration, the sample drivers and an import folder; a ZEP adapter, a
# Tessal collector and a Kolvar device (simulated, on a pseudo-terminal mapped to COM1) are
# plugged in one after another, and then a flash card appears under a media root. Their data
# come out as import files (.imp) and a printer protocol (.zvo).
# Usage: scripts/demo.sh [--keep]   (--keep leaves the demo folder for a look afterwards)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
keep=0
[ "${1:-}" = "--keep" ] && keep=1

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target zepimport zep-demo-devices cardgen vl_m1 vl_kolvar

demo="$(mktemp -d /tmp/zepimport-demo.XXXXXX)"
service_pid=""
devices_pid=""
cleanup() {
    [ -n "$devices_pid" ] && kill "$devices_pid" 2>/dev/null || true
    [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    if [ "$keep" -eq 0 ]; then rm -rf "$demo"; else echo "demo folder kept: $demo"; fi
}
trap cleanup EXIT

mkdir -p "$demo"/{program,import,zuvo/Base,drivers,config/Kestrom,media/card,staging}
cp build/drivers/*.so "$demo/drivers/"
cat > "$demo/config/Kestrom/Velmora.conf" <<CONF
[General]
Drivers=$demo/drivers
Import=$demo/import
Path=$demo/velmora/velmora.exe
CONF
cat > "$demo/config/Kestrom/Zuvo.conf" <<CONF
[General]
InstallTo=$demo/zuvo
CONF
# The options a dispatcher would tick: delete what was imported, take cards without preview.
cat > "$demo/program/zepimport.ini" <<CONF
[General]
m_runMinimized=1
m_expandActive=1
m_deleteAfter=1
m_deleteFlash=1
m_removable=1
m_preview=0
SaveBin=0

[COM Port]
m_port=1
CONF
export XDG_CONFIG_HOME="$demo/config"
export ZEPIMPORT_MEDIA_ROOTS="$demo/media/card"

echo "== demo folder: $demo"
echo "== plugging the devices into COM1"
build/bin/zep-demo-devices --com 1 --count 3 > "$demo/devices.log" 2>&1 &
devices_pid=$!
for _ in $(seq 50); do [ -L "$demo/config/zepimport/ports/COM1" ] && break; sleep 0.1; done

echo "== starting the service"
build/bin/zepimport --headless --program-dir "$demo/program" &
service_pid=$!

# The devices are served one after another; wait until all three sessions are over.
for _ in $(seq 400); do
    grep -q "served . of 3 devices" "$demo/devices.log" && break
    kill -0 "$devices_pid" 2>/dev/null || break
    sleep 0.5
done
if ! grep -q "served 3 of 3 devices" "$demo/devices.log"; then
    echo "== the simulated devices did not all get their session; their log:"
    cat "$demo/devices.log"
    exit 1
fi

echo "== inserting a flash card"
# Written aside and moved in whole, as a card appears whole when it is mounted.
build/bin/cardgen "$demo/staging" >/dev/null
mv "$demo/staging/Pexilor" "$demo/media/card/"

# Wait until the raw files are converted: the program folder keeps only its settings.
# A card file goes only after its raw files are in the program folder, and a raw file only after
# its import file is published, so both counts at zero mean everything has arrived.
for _ in $(seq 120); do
    raw=$(find "$demo/program" -maxdepth 1 -iname '*.bi?' | wc -l)
    left=$(find "$demo/media/card/Pexilor/Tessal" -type f 2>/dev/null | wc -l)
    [ "$raw" -eq 0 ] && [ "$left" -eq 0 ] && break
    sleep 0.5
done
kill -TERM "$service_pid"
status=0
wait "$service_pid" || status=$?
service_pid=""
kill -TERM "$devices_pid" 2>/dev/null || true
wait "$devices_pid" 2>/dev/null || true
devices_pid=""

echo
echo "== import files in $demo/import:"
ls -l "$demo/import"
echo "== printer protocols in $demo/zuvo/Base:"
ls -l "$demo/zuvo/Base"
first=$(ls "$demo/import"/*.imp 2>/dev/null | head -1)
if [ -n "$first" ]; then
    echo "== the first import file ($first):"
    head -20 "$first" | iconv -f WINDOWS-1251 -t UTF-8 | tr -d '\r'
fi
count=$(ls "$demo/import"/*.imp 2>/dev/null | wc -l)
echo "== $count import files; service exit status $status"
[ "$count" -gt 0 ] && [ "$status" -eq 0 ]
