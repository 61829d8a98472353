#!/usr/bin/env bash
# The kill proof: the service runs against simulated devices on COM1 (a ZEP adapter, a Tessal
# collector and a Kolvar device plugged in turn, deleting what was imported), against cards
# that appear under a media root (kept on the card in one start, deleted in the next) and with
# its conversions running, and is killed with SIGKILL N times at random moments (half of them
# soon after an import or a conversion began), restarted after each kill. At the end every
# archive offered by a device or a card is counted against the import files that reached the
# import folder (told apart by serial number). After each kill the program folder is searched
# for a raw file whose archive the import history does not know (the kill fell between its
# publication and its entry) and for one whose import file is out while its conversion's record
# is not: the two windows in which an archive may come twice (docs/history.md). The last line
# says "N kills: L lost, D twice"; L must be 0, and no temporary file may be left.
# Usage: bench/kill/kill.sh [--build DIR] [--keep] [N]      (default: build, 300 kills)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build"
kills=300
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="$(cd "$2" && pwd)"; shift 2 ;;
        --keep) keep=1; shift ;;
        [0-9]*) kills="$1"; shift ;;
        *) echo "unknown option $1"; exit 2 ;;
    esac
done

work="$(mktemp -d /tmp/zepimport-kill.XXXXXX)"
cd "$work"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    cd /
    if [ "$keep" -eq 0 ]; then rm -rf "$work"; else echo "kill folder kept: $work"; fi
}
trap cleanup EXIT

# Waits for a shell condition, polling every 0.1 s, at most $2 seconds (default 60); false when
# it never held.
wait_for() {
    local tries=$(( ${2:-60} * 10 ))
    for _ in $(seq "$tries"); do
        if eval "$1"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# The programs and drivers of the build, copied: a rebuild during a long run leaves it alone.
mkdir -p program import zuvo/Base config/Kestrom media/card staging bin drivers
for program in zepimport zep-soak-devices zep-kill-card zep-kill-window; do
    cp "$build/bin/$program" bin/
done
cp "$build"/drivers/*.so drivers/
build="$work"
printf '[General]\nDrivers=%s\nImport=%s\n' "$work/drivers" "$work/import" > config/Kestrom/Velmora.conf
printf '[General]\nInstallTo=%s\n' "$work/zuvo" > config/Kestrom/Zuvo.conf
export XDG_CONFIG_HOME="$work/config"
export ZEPIMPORT_MEDIA_ROOTS="$work/media/card"

# Devices: enough sessions to last through the kills; a device is plugged again until it is
# empty, however often its session is cut; a session the kill left hanging is given up soon,
# so that the next start finds a device again.
sessions=$(( kills / 4 > 3 ? kills / 4 : 3 ))
cards=$(( kills / 8 > 2 ? kills / 8 : 2 ))
"$build/bin/zep-soak-devices" --com 1 --sessions "$sessions" --seconds 100000 \
    --first-serial 300000 --fault-every 1000000 --plugs 100000 --session-seconds 5 \
    > devices.txt 2>&1 &
devices=$!
pids+=("$devices")
wait_for '[ -L config/zepimport/ports/COM1 ]' 10 || { echo "the devices did not start"; exit 1; }

# Cards: each is written aside and moved in whole, as a card appears when it is mounted, and
# taken out once all its archives have arrived.
arrived() { grep -aqs "^Serial=$1"$'\r' import/*.imp; }
insert_cards() {
    for k in $(seq "$cards"); do
        "$build/bin/zep-kill-card" "staging/$k" $((900000 + 10 * k)) > "staging/$k.txt"
        cat "staging/$k.txt" >> cards.txt
        mv "staging/$k/Pexilor" media/card/
        for serial in $(cat "staging/$k.txt"); do
            wait_for "arrived $serial" 600 || true
        done
        rm -rf media/card/Pexilor
    done
    touch cards.done
}
touch cards.txt
insert_cards &
pids+=("$!")

# Every start with the settings of its turn: even starts keep what they import on the card,
# odd ones delete it.
service=0
start_service() {
    printf '[General]\r\nm_deleteAfter=1\r\nm_deleteFlash=%s\r\nm_removable=1\r\nm_preview=0\r\n[COM Port]\r\nm_port=1\r\n' \
        "$1" > program/zepimport.ini
    "$build/bin/zepimport" --headless --program-dir program >> out.txt 2> err.txt &
    service=$!
    wait_for "grep -q 'SIGTERM ends it' err.txt || ! kill -0 $service 2>/dev/null" 30
    kill -0 "$service" 2>/dev/null || { echo "the service did not start:"; cat err.txt; exit 1; }
}

# Whether the output of a run since byte $1 ends inside an import (of a card or a device
# session) or a conversion: a kill that fell there, not while the service waited.
busy_at_kill() {
    tail -c +"$(( $1 + 1 ))" out.txt | awk '
        /^Получение данных со сменного накопителя|^Сеанс связи начат/ { importing = 1 }
        /^Импорт данных завершен\./ { importing = 0 }
        /^CNV: Обработка / { converting = 1 }
        /^CNV:Обработка завершена/ { converting = 0 }
        END { print ((importing || converting) ? 1 : 0) }'
}

# Whether the output of a run since byte $1 shows an import or a conversion begun.
begun_since() {
    tail -c +"$(( $1 + 1 ))" out.txt |
        grep -qE '^(Получение данных со сменного накопителя|Сеанс связи начат|CNV: Обработка )'
}

in_window=0
in_conversion=0
in_work=0
touch out.txt
for i in $(seq "$kills"); do
    before="$(stat -c %s out.txt)"
    start_service $((i % 2))
    # A random moment: within two seconds of the start, or, every other time on average, within
    # a fifth of a second of the run's first import or conversion (most starts find one soon).
    if [ $((RANDOM % 2)) -eq 0 ]; then
        wait_for "begun_since $before" 5 || true
        pause="0.2"
    else
        pause="2"
    fi
    sleep "$(awk -v r="$RANDOM" -v p="$pause" 'BEGIN { printf "%.3f", r / 32768 * p }')"
    kill -KILL "$service"
    wait "$service" 2>/dev/null || true
    in_work=$((in_work + $(busy_at_kill "$before")))
    read -r unrecorded unconverted < <("$build/bin/zep-kill-window" program import)
    [ "$unrecorded" -gt 0 ] && in_window=$((in_window + 1))
    [ "$unconverted" -gt 0 ] && in_conversion=$((in_conversion + 1))
done

# The last start runs until the devices are empty, every card is through and nothing is left
# to convert.
start_service 0
start_fd="$(ls "/proc/$service/fd" | wc -l)"
settled='! kill -0 '"$devices"' 2>/dev/null && [ -e cards.done ] &&
         [ -z "$(find program -maxdepth 1 -iname "*.bi[aln]")" ]'
wait_for "$settled" 600 || echo "not settled within 600 s"
end_fd="$(ls "/proc/$service/fd" | wc -l)"
end_rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$service/status")"
temporaries="$(find program import zuvo -name '.zepimport-*' | wc -l)"
kill -TERM "$service"
status=0
wait "$service" || status=$?

# Every archive offered against the serial numbers of the import files.
{ grep '^offered ' devices.txt | cut -d' ' -f2; cat cards.txt; } | sort > offered.txt
grep '^left ' devices.txt | tr -cd '0-9\n' | sort > left.txt || true
for file in import/*.imp; do
    [ -e "$file" ] || continue
    grep -a -m1 '^Serial=' "$file" | tr -d '\r' | cut -d= -f2
done | sort > arrived.txt
lost="$(comm -23 offered.txt <(sort -u arrived.txt) | comm -23 - left.txt | wc -l)"
twice="$(uniq -d arrived.txt | wc -l)"
kept="$(find program -maxdepth 1 -type f ! -name zepimport.ini ! -name 'zepimport.log*' \
    ! -name zepimport.history | wc -l)"

echo "devices: $(tail -n 1 devices.txt); cards: $cards"
echo "archives offered $(wc -l < offered.txt), import files $(wc -l < arrived.txt)," \
     "left on a device $(wc -l < left.txt), files kept back in the program folder $kept"
echo "kills inside an import or a conversion: $in_work of $kills"
echo "kills between a raw file's publication and its history entry: $in_window of $kills;" \
     "between an import file's publication and its record: $in_conversion"
echo "the last run: descriptors $start_fd at its start, $end_fd at the end; resident memory" \
     "$end_rss kB; temporary files left $temporaries; exit status $status"
echo "$kills kills: $lost lost, $twice twice"
[ "$lost" -eq 0 ] && [ "$temporaries" -eq 0 ] && [ "$status" -eq 0 ] && [ "$kept" -eq 0 ] || {
    keep=1
    exit 1
}
