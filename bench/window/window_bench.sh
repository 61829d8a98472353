#!/usr/bin/env bash
# What the desktop window costs: start-up to a shown window, and the window idle with the COM
# port open (a plugged adapter that never announces itself) and card watching on (a media
# root), the sample drivers loaded and the conversion worker polling. Runs under Xvfb; `sleep`
# beside it is the floor. Printed: the time from launch until the window is mapped (best and
# median of five starts, beside an empty Qt window as the floor), CPU time as a share of one core, and peak resident memory.
# Goals: start-up under 0.5 s, idle under 0.5 % of one core and under 60 MB resident.
# Usage: bench/window/window_bench.sh [SECONDS]   (default 60; BUILD=folder, default build)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"
build="${BUILD:-build}"
title="Velmora - ZEP Импорт"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target zepimport zep-sim zep_drivers bench_empty_window \
    >/dev/null

work="$(mktemp -d /tmp/zepimport-window.XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, on a number nobody holds. -noreset: by default the server resets when
# its last client leaves (a program ended, xwininfo done), and a start that connects meanwhile
# is refused.
number=150
while [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$number"
for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY"; exit 1; }

mkdir -p "$work"/{program,import,media,config/Kestrom}
cat >"$work/config/Kestrom/Velmora.conf" <<CONF
[General]
Drivers=$(pwd)/$build/drivers
Import=$work/import
CONF
printf '[General]\r\nm_removable=1\r\n\r\n[COM Port]\r\nm_port=5\r\n' >"$work/program/zepimport.ini"
export XDG_CONFIG_HOME="$work/config"
export ZEPIMPORT_MEDIA_ROOTS="$work/media"

"$build/bin/zep-sim" --generate 1 --fault silence,cmd=prompt,times=always --com 5 \
    >"$work/sim.txt" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/config/zepimport/ports/COM5" ] && break; sleep 0.1; done

mapped() { xwininfo -name "$1" 2>/dev/null | grep -q 'IsViewable'; }
now() { date +%s.%N; }

# Launch to mapped window, five times; prints the five times, one a line.
startup_times() {
    local name="$1"
    shift
    for _ in 1 2 3 4 5; do
        local t0 t1 app
        t0=$(now)
        "$@" >>"$work/starts.txt" 2>&1 &
        app=$!
        until mapped "$name"; do
            kill -0 "$app" 2>/dev/null || { echo "$1 ended before its window showed:" >&2; cat "$work/starts.txt" >&2; exit 1; }
            sleep 0.005
        done
        t1=$(now)
        awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'
        kill "$app"
        wait "$app" 2>/dev/null || true
        while mapped "$name"; do sleep 0.01; done
    done
}
window_starts="$(startup_times "$title" "$build/bin/zepimport" --program-dir "$work/program")"
empty_starts="$(startup_times "empty window" "$build/bench/window/bench_empty_window" "empty window")"

tick=$(getconf CLK_TCK)
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

"$build/bin/zepimport" --program-dir "$work/program" >"$work/out.txt" 2>&1 &
app=$!
pids+=($app)
sleep "$((seconds + 10))" &
floor=$!
pids+=($floor)
until mapped "$title"; do
    kill -0 "$app" 2>/dev/null || { echo "zepimport ended before its window showed:" >&2; cat "$work/out.txt" >&2; exit 1; }
    sleep 0.01
done
sleep 2  # start-up over: drivers loaded, port opened, first ticks done
start_ticks=$(cpu_ticks "$app")
start_time=$(now)
sleep "$seconds"
end_time=$(now)
app_ticks=$(cpu_ticks "$app")
app_kb=$(peak_kb "$app")
floor_ticks=$(cpu_ticks "$floor")
floor_kb=$(peak_kb "$floor")

median() { sort -n | awk '{ t[NR] = $1 } END { print t[3] }'; }
best() { sort -n | head -1; }
awk -v wb="$(best <<<"$window_starts")" -v wm="$(median <<<"$window_starts")" \
    -v eb="$(best <<<"$empty_starts")" -v em="$(median <<<"$empty_starts")" -v load="$(cut -d' ' -f1 /proc/loadavg)" '
BEGIN {
    printf "load average during the run: %s\n", load
    printf "start-up to a shown window: best %.3f s, median %.3f s (goal < 0.5 s)\n", wb, wm
    printf "empty Qt window (floor):    best %.3f s, median %.3f s; ratio of medians %.1f\n", eb, em, wm / em
}'
awk -v t="$tick" -v s0="$start_ticks" -v s1="$app_ticks" -v f="$floor_ticks" \
    -v a="$start_time" -v b="$end_time" -v akb="$app_kb" -v fkb="$floor_kb" '
BEGIN {
    idle = b - a
    cpu = (s1 - s0) / t
    printf "idle time measured:         %.1f s\n", idle
    printf "window idle CPU:            %.2f s = %.3f %% of one core (goal < 0.5 %%)\n", cpu, 100 * cpu / idle
    printf "sleep CPU (floor):          %.2f s = %.3f %% of one core\n", f / t, 100 * (f / t) / idle
    printf "window peak resident:       %.1f MB (goal < 60 MB)\n", akb / 1024
    printf "sleep peak resident:        %.1f MB; ratio %.1f\n", fkb / 1024, akb / fkb
}'
