#!/usr/bin/env bash
# What the service costs while it waits: zepimport --headless runs idle with everything a
# dispatcher's machine has switched on (the COM port open on a line whose device never
# announces itself, card watching with a media root, the sample drivers loaded, the conversion
# worker polling), next to `sleep` as the floor, for the same time. Printed: CPU time used (as a
# share of one core) and peak resident memory, read from /proc.
# Goals: under 0.2 % of one core, under 8 MB resident (the service maps no toolkit: the window is
# a program of its own, window/window_program.h); its driver host, asleep between conversions,
# under 0.1 % of one core.
# Usage: bench/service/idle_bench.sh [SECONDS]   (default 60; BUILD=folder, default build)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"
build="${BUILD:-build}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target zepimport zep-sim zep_drivers >/dev/null

work="$(mktemp -d /tmp/zepimport-idle.XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work"/{program,import,media,config/Kestrom}
cat >"$work/config/Kestrom/Velmora.conf" <<CONF
[General]
Drivers=$(pwd)/$build/drivers
Import=$work/import
CONF
printf '[General]\r\nm_removable=1\r\n\r\n[COM Port]\r\nm_port=5\r\n' >"$work/program/zepimport.ini"
export XDG_CONFIG_HOME="$work/config"
export ZEPIMPORT_MEDIA_ROOTS="$work/media"

# An adapter that is plugged in but never says its prompt: the port stays open and idle.
"$build/bin/zep-sim" --generate 1 --fault silence,cmd=prompt,times=always --com 5 \
    >"$work/sim.txt" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/config/zepimport/ports/COM5" ] && break; sleep 0.1; done

tick=$(getconf CLK_TCK)
# CPU seconds (user + system) of a process, from fields 14 and 15 of /proc/<pid>/stat.
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

"$build/bin/zepimport" --headless --program-dir "$work/program" >"$work/out.txt" 2>"$work/err.txt" &
service=$!
pids+=($service)
sleep "$((seconds + 10))" &
floor=$!
pids+=($floor)
for _ in $(seq 100); do grep -q 'SIGTERM ends it' "$work/err.txt" && break; sleep 0.1; done
grep -q 'COM-порт открыт' "$work/out.txt" || { echo "the port did not open:"; cat "$work/out.txt"; exit 1; }
grep -q "Загружен драйвер" "$work/out.txt" || { echo "no driver loaded:"; cat "$work/out.txt"; exit 1; }

# The drivers were loaded in the driver host, the service's one child.
host=$(pgrep -P "$service" | head -n 1)
[ -n "$host" ] || { echo "no driver host runs"; exit 1; }

# The idle share is measured from the end of start-up; start-up is shown on its own.
start_ticks=$(cpu_ticks "$service")
host_start_ticks=$(cpu_ticks "$host")
start_time=$(date +%s.%N)
sleep "$(awk -v s="$seconds" 'BEGIN { print s - 0.5 }')"
end_time=$(date +%s.%N)
service_ticks=$(cpu_ticks "$service")
service_kb=$(peak_kb "$service")
host_ticks=$(cpu_ticks "$host")
host_kb=$(peak_kb "$host")
floor_ticks=$(cpu_ticks "$floor")
floor_kb=$(peak_kb "$floor")
kill -TERM "$service"
status=0
wait "$service" || status=$?

awk -v t="$tick" -v s0="$start_ticks" -v s1="$service_ticks" -v f="$floor_ticks" \
    -v a="$start_time" -v b="$end_time" -v skb="$service_kb" -v fkb="$floor_kb" -v st="$status" \
    -v h0="$host_start_ticks" -v h1="$host_ticks" -v hkb="$host_kb" '
BEGIN {
    idle = b - a
    cpu = (s1 - s0) / t
    share = 100 * cpu / idle
    printf "idle time measured:        %.1f s\n", idle
    printf "zepimport start-up CPU:    %.2f s\n", s0 / t
    printf "zepimport idle CPU:        %.2f s = %.3f %% of one core (goal < 0.2 %%)\n", cpu, share
    printf "sleep CPU (floor):         %.2f s = %.3f %% of one core\n", f / t, 100 * (f / t) / idle
    hshare = 100 * ((h1 - h0) / t) / idle
    printf "driver host idle CPU:      %.2f s = %.3f %% of one core (goal < 0.1 %%)\n", (h1 - h0) / t, hshare
    printf "driver host peak resident: %.1f MB\n", hkb / 1024
    printf "zepimport peak resident:   %.1f MB (goal < 8 MB)\n", skb / 1024
    printf "sleep peak resident:       %.1f MB; ratio %.1f\n", fkb / 1024, skb / fkb
    printf "zepimport exit status on SIGTERM: %d\n", st
    exit (share < 0.2 && skb < 8 * 1024 && hshare < 0.1 && st == 0) ? 0 : 1
}'
