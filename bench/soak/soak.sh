#!/usr/bin/env bash
# The service under a long load: for a bounded time it runs with a simulated port (COM1) into
# which a ZEP adapter, a Tessal collector and a Kolvar device are plugged in turn (every fourth
# with a fault in its transfer, plugged again until it is empty), while a card appears under a
# media root again and again. Deleting from devices and cards is on. At the end every archive
# the devices and cards held must have arrived in the import folder exactly once (told apart by
# serial number); open descriptors and resident memory of the service are printed at the start,
# after the first three sessions (warm) and at the end.
# Usage: bench/soak/soak.sh [--build DIR] [--seconds S] [--sessions N] [--cards N]
#                           [--no-memory-goal] [--keep]
# Defaults: build, 600 s, 200 sessions, 50 cards. Goals: 0 lost, 0 duplicated, nothing left on a
# device, descriptors unchanged, resident memory growth (warm to end) under 1 MB.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build"
seconds=600
sessions=200
cards=50
memory_goal=1
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="$(cd "$2" && pwd)"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        --sessions) sessions="$2"; shift 2 ;;
        --cards) cards="$2"; shift 2 ;;
        --no-memory-goal) memory_goal=0; shift ;;
        --keep) keep=1; shift ;;
        *) echo "unknown option $1"; exit 2 ;;
    esac
done

work="$(mktemp -d /tmp/zepimport-soak.XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ "$keep" -eq 0 ]; then rm -rf "$work"; else echo "soak folder kept: $work"; fi
}
trap cleanup EXIT

mkdir -p "$work"/{program,import,config/Kestrom,media/card,staging}
printf '[General]\nDrivers=%s\nImport=%s\n' "$build/drivers" "$work/import" \
    > "$work/config/Kestrom/Velmora.conf"
printf '[General]\r\nm_deleteAfter=1\r\nm_deleteFlash=1\r\nm_removable=1\r\nm_preview=0\r\n[COM Port]\r\nm_port=1\r\n' \
    > "$work/program/zepimport.ini"
export XDG_CONFIG_HOME="$work/config"
export ZEPIMPORT_MEDIA_ROOTS="$work/media/card"

# Sessions start during the first 90 % of the time; the rest lets the last ones finish.
device_seconds=$((seconds * 9 / 10))
"$build/bin/zep-soak-devices" --com 1 --sessions "$sessions" --seconds "$device_seconds" \
    --first-serial 300000 > "$work/devices.txt" 2>&1 &
devices_pid=$!
pids+=("$devices_pid")
for _ in $(seq 100); do [ -L "$work/config/zepimport/ports/COM1" ] && break; sleep 0.1; done

"$build/bin/zepimport" --headless --program-dir "$work/program" >"$work/out.txt" 2>"$work/err.txt" &
service_pid=$!
pids+=("$service_pid")
for _ in $(seq 100); do grep -q 'SIGTERM ends it' "$work/err.txt" && break; sleep 0.1; done

descriptors() { ls "/proc/$service_pid/fd" | wc -l; }
resident_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$service_pid/status"; }
sessions_ended() { grep -c 'Импорт данных завершен.' "$work/out.txt" || true; }
start_fd="$(descriptors)"
start_rss="$(resident_kb)"

# The cards: written aside and moved in whole, as a card appears when it is mounted; ejected
# once the import has emptied it.
insert_cards() {
    local gap=$(( device_seconds / (cards + 1) ))
    [ "$gap" -lt 2 ] && gap=2
    for k in $(seq "$cards"); do
        sleep "$gap"
        "$build/bin/zep-soak-content" "$work/staging/$k" $((900000 + 10 * k)) 2 >> "$work/cards.txt"
        mv "$work/staging/$k/Pexilor" "$work/media/card/"
        for _ in $(seq 600); do
            [ -z "$(ls -A "$work/media/card/Pexilor/Tessal")" ] && break
            sleep 0.1
        done
        rm -rf "$work/media/card/Pexilor"
    done
}
touch "$work/cards.txt"
insert_cards &
cards_pid=$!
pids+=("$cards_pid")

warm_fd=""
warm_rss=""
while kill -0 "$devices_pid" 2>/dev/null || kill -0 "$cards_pid" 2>/dev/null; do
    if [ -z "$warm_fd" ] && [ "$(sessions_ended)" -ge 3 ]; then
        warm_fd="$(descriptors)"
        warm_rss="$(resident_kb)"
    fi
    sleep 1
done
wait "$devices_pid" || true
wait "$cards_pid" || true
[ -z "$warm_fd" ] && { warm_fd="$start_fd"; warm_rss="$start_rss"; }

# The conversion worker catches up: no raw file may be left waiting.
for _ in $(seq 60); do
    [ -z "$(find "$work/program" -maxdepth 1 -iname '*.bi[aln]')" ] && break
    sleep 1
done
sleep 2
end_fd="$(descriptors)"
end_rss="$(resident_kb)"
kill -TERM "$service_pid"
status=0
wait "$service_pid" || status=$?

# Every archive offered by a device or a card against the serial numbers of the import files.
{ grep '^offered ' "$work/devices.txt" | cut -d' ' -f2; cat "$work/cards.txt"; } | sort > "$work/expected.txt"
for file in "$work"/import/*.imp; do
    [ -e "$file" ] || continue
    grep -a -m1 '^Serial=' "$file" | tr -d '\r' | cut -d= -f2
done | sort > "$work/arrived.txt"
lost="$(comm -23 "$work/expected.txt" <(sort -u "$work/arrived.txt") | wc -l)"
duplicated="$(uniq -d "$work/arrived.txt" | wc -l)"
unexpected="$(comm -13 "$work/expected.txt" <(sort -u "$work/arrived.txt") | wc -l)"
left="$(grep -c '^left ' "$work/devices.txt" || true)"
kept="$(find "$work/program" -maxdepth 1 -type f ! -name zepimport.ini ! -name 'zepimport.log*' \
    ! -name zepimport.history | wc -l)"
errors="$(grep -c 'Ошибка\|ошибка' "$work/out.txt" || true)"

echo "soak: $(tail -n 1 "$work/devices.txt"), cards $(wc -l < "$work/cards.txt") archives"
echo "archives offered $(wc -l < "$work/expected.txt"), import files $(wc -l < "$work/arrived.txt")"
echo "lost $lost, duplicated $duplicated, unexpected $unexpected, left on a device $left," \
     "raw files kept back $kept, error lines $errors (faults injected on purpose)"
echo "descriptors: start $start_fd, warm $warm_fd, end $end_fd"
echo "resident memory (kB): start $start_rss, warm $warm_rss, end $end_rss," \
     "growth warm to end $((end_rss - warm_rss))"
echo "service exit status $status"

failed=0
[ "$lost" -eq 0 ] && [ "$duplicated" -eq 0 ] && [ "$unexpected" -eq 0 ] && [ "$left" -eq 0 ] || failed=1
[ "$kept" -eq 0 ] && [ "$status" -eq 0 ] && [ "$end_fd" -le "$start_fd" ] || failed=1
if [ "$memory_goal" -eq 1 ] && [ $((end_rss - warm_rss)) -ge 1024 ]; then failed=1; fi
if [ "$failed" -ne 0 ]; then
    keep=1
    echo "soak: FAILED"
    exit 1
fi
echo "soak: passed"
