#!/usr/bin/env bash
# One ZEP session each through the Linux build and through the Windows build under Wine, from
# the same simulated adapter and content: the Linux simulator serves a pseudo-terminal that the
# Wine prefix knows as COM5, zepimport.exe --headless runs from a program folder named in
# Cyrillic with the dispatch system's values in the registry, and the raw files and import files
# of both runs must be the same bytes. Then, under a Western ANSI code page, a second start on
# the same folder is refused in Russian with the folder's name, and --program-dir and --inspect
# take names in Cyrillic, the log file holds the session and its recording replays to the same
# raw files; last, bad registry values and a missing port are reported.
# With --installed, the session runs an installed zepimport.exe (a Linux path into the Wine
# prefix that holds it) from its place instead, with its program folder FOLDER (an installed
# program keeps its data in the user's data folder), and the checks after the session are left
# out.
# Usage: scripts/windows-session.sh [--keep] [--installed PREFIX EXE FOLDER] [NATIVE_BUILD]
#        [WINDOWS_BUILD]
#        (default: build build-win; --keep leaves the session's folder for a look)
set -euo pipefail
cd "$(dirname "$0")/.."
keep=0
installed=""
prefix=""
while [ $# -gt 0 ]; do
    case "$1" in
    --keep) keep=1 ;;
    --installed)
        prefix="$2"
        installed="$3"
        installed_folder="$4"
        shift 3
        ;;
    *) break ;;
    esac
    shift
done
root="$PWD"
native="$root/${1:-build}"
windows="$root/${2:-build-win}"
wine="$(command -v /usr/lib/wine/wine64 || command -v wine64 || command -v wine)"
prefix="${prefix:-$windows/wineprefix}"
port=5
work="$(mktemp -d)"
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -f "$prefix/dosdevices/com$port"
    # The prefix's server and device services would otherwise outlive the check.
    "$root/cmake/wine-prefix.sh" stop "$wine" "$prefix"
    if [ "$keep" = 1 ]; then
        echo "session folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

script_name=windows-session
# shellcheck source=scripts/wine-script-lib.sh
. "$root/scripts/wine-script-lib.sh"

# Starts the simulated adapter on a new pseudo-terminal linked as COM$port in $1's ports folder;
# it serves one session of a fixed generated set and ends.
start_adapter() {
    XDG_CONFIG_HOME="$1" "$native/bin/zep-sim" --com "$port" --generate 3 --seed 7 \
        --sessions 1 --announce-every 1 >"$work/$2-sim.log" 2>&1 &
    pids+=($!)
    adapter=$!
    wait_for 10 "[ -L '$1/zepimport/ports/COM$port' ]" || fail "the simulator made no COM link"
}

# The session is over when the adapter has ended, the program has logged the end of the import
# (the adapter may end before the program has saved its last file) and the program folder holds
# no raw file that waits for conversion. Whether a pattern matches is asked of the shell's own
# expansion (compgen -G): ls on the expanded names fails for a file converted between the
# expansion and ls, which would pass for "no raw file left" while another still waits.
wait_for_session() {
    local folder="$1"
    wait_for 120 "! kill -0 $adapter 2>/dev/null" || fail "the session did not end"
    wait_for 60 "grep -q 'Импорт данных завершен' '$3'" || fail "the import did not end"
    wait_for 60 "! compgen -G '$folder/*.bi[al]' >/dev/null" || fail "raw files were not converted"
    wait_for 10 "compgen -G '$2/*.imp' >/dev/null" || fail "no import file in $2"
}

settings() {
    printf '[General]\r\nSaveBin=1\r\nm_removable=0\r\n[COM Port]\r\nm_port=%d\r\n' "$port" >"$1"
}

echo "== Linux: zepimport --headless"
linux="$work/linux"
mkdir -p "$linux/program" "$linux/import" "$linux/config/Kestrom"
cp "$native/drivers/vl_m1.so" "$linux/program/"
printf '[General]\nDrivers=%s\nImport=%s\n' "$linux/program" "$linux/import" \
    >"$linux/config/Kestrom/Velmora.conf"
settings "$linux/program/zepimport.ini"
start_adapter "$linux/config" linux
XDG_CONFIG_HOME="$linux/config" ZEPIMPORT_MEDIA_ROOTS="" \
    "$native/bin/zepimport" --headless --program-dir "$linux/program" >"$work/linux-program.log" 2>&1 &
pids+=($!)
program=$!
wait_for_session "$linux/program" "$linux/import" "$work/linux-program.log"
kill -INT "$program"
wait "$program" || fail "the Linux program ended with status $?"

"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
win="$work/windows"
if [ -n "$installed" ]; then
    echo "== Windows: the installed zepimport.exe --headless under Wine"
    folder="$installed_folder"
    program_exe="$installed"
    mkdir -p "$folder"
else
    echo "== Windows: zepimport.exe --headless under Wine, program folder in Cyrillic"
    folder="$win/Программа учёта"
    mkdir -p "$folder"
    cp "$windows/bin/zepimport.exe" "$folder/"
    program_exe="$folder/zepimport.exe"
fi
mkdir -p "$win/Импорт" "$win/drivers"
cp "$windows/drivers/vl_m1.dll" "$win/drivers/"
# Beside the driver: a file that is no DLL, and a DLL marked as built for 32-bit x86; both must
# be passed over without a word.
echo "not a library" >"$win/drivers/broken.dll"
cp "$windows/drivers/vl_m1.dll" "$win/drivers/x86.DLL"
pe=$(od -An -tu4 -j60 -N4 "$win/drivers/x86.DLL" | tr -d ' ')
printf '\x4c\x01' | dd of="$win/drivers/x86.DLL" bs=1 seek=$((pe + 4)) conv=notrunc status=none
settings "$folder/zepimport.ini"
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Kestrom\\Velmora]\r\n'
    printf '"Drivers"="%s"\r\n' "$(winpath "$win/drivers")"
    printf '"Import"="%s"\r\n' "$(winpath "$win/Импорт")"
} | iconv -f UTF-8 -t UTF-16 >"$win/values.reg"
"$root/cmake/wine-run.sh" "$wine" "$prefix" regedit /S "$(winpath "$win/values.reg")" \
    >"$work/windows-regedit.log" 2>&1 || fail "the registry values could not be set"
start_adapter "$win/config" windows
ln -sfn "$(readlink "$win/config/zepimport/ports/COM$port")" "$prefix/dosdevices/com$port"
"$root/cmake/wine-run.sh" "$wine" "$prefix" "$program_exe" --headless \
    >"$work/windows-program.log" 2>&1 </dev/null &
pids+=($!)
program=$!
wait_for_session "$folder" "$win/Импорт" "$work/windows-program.log"
if [ -z "$installed" ]; then
    # Wine takes the ANSI code page from the locale's language (C: 1252, without Cyrillic) and
    # the encoding of Linux names from its character set.
    echo "== Windows: a second start on the same folder, ANSI code page 1252"
    status=0
    LC_ALL=C.UTF-8 "$root/cmake/wine-run.sh" "$wine" "$prefix" "$program_exe" --headless \
        >"$work/windows-second.log" 2>&1 </dev/null || status=$?
    [ "$status" = 1 ] || fail "the second start ended with status $status"
    grep -qF "ZEP Импорт уже запущен с папкой $(winarg "$folder")." "$work/windows-second.log" ||
        fail "the second start does not name the folder in use"
fi
kill -INT "$program"
wait "$program" || fail "zepimport.exe ended with status $?"
[ -f "$folder/zepimport.ini" ] || fail "no settings file in the program folder"

echo "== The same bytes from both builds"
# File names carry the time of the run; the contents must be equal as sets.
digests() { (cd "$1" && find . -maxdepth 1 -type f -name "$2" -exec sha256sum {} + | cut -d' ' -f1 | sort); }
compare() {
    local a b
    a="$(digests "$1" "$3")"
    b="$(digests "$2" "$3")"
    [ -n "$a" ] || fail "no $3 files from the Linux build"
    [ "$a" = "$b" ] || fail "the $3 files differ between the builds"
    echo "$(echo "$a" | wc -l) $3 file(s) equal"
}
compare "$linux/program" "$folder" "*.bia.*"
compare "$linux/import" "$win/Импорт" "*.imp"
grep -q "Импорт данных завершен" "$work/windows-program.log" ||
    fail "the Windows log lacks the end of the import"
grep -q "Ctrl+C, Ctrl+Break or closing the console ends it" "$work/windows-program.log" ||
    fail "the Windows start note does not name the console's way to end the program"
[ "$(grep -c "Загружен драйвер" "$work/windows-program.log")" = 1 ] ||
    fail "the broken DLLs were not passed over quietly"
if [ -n "$installed" ]; then
    echo "windows-session: passed"
    exit 0
fi

echo "== Windows: --program-dir and --inspect named in Cyrillic, ANSI code page 1252"
archive="$win/Архив учёта.bia"
cp "$(ls "$folder"/*.bia.* | head -1)" "$archive"
LC_ALL=C.UTF-8 "$root/cmake/wine-run.sh" "$wine" "$prefix" "$program_exe" \
    --program-dir "$(winarg "$folder")" --inspect "$(winarg "$archive")" \
    >"$work/windows-inspect.log" 2>&1 </dev/null || fail "--inspect ended with status $?"
grep -qxF "$(winarg "$archive")" <(tr -d '\r' <"$work/windows-inspect.log") ||
    fail "--inspect does not name the file"
grep -q "^  meter archive" "$work/windows-inspect.log" || fail "--inspect did not read the file"

echo "== Windows: the log file, and the session's recording replayed into a folder in Cyrillic"
grep -q " U Импорт данных завершен[.]" "$folder/zepimport.log" ||
    fail "the log file lacks the end of the import"
recording="$(compgen -G "$folder/sessions/*-zep.zsr" | head -1)" ||
    fail "the session left no recording"
replayed="$win/Повтор сеанса"
mkdir -p "$replayed"
LC_ALL=C.UTF-8 "$root/cmake/wine-run.sh" "$wine" "$prefix" "$program_exe" \
    --program-dir "$(winarg "$replayed")" --replay "$(winarg "$recording")" \
    >"$work/windows-replay.log" 2>&1 </dev/null || fail "--replay ended with status $?"
grep -q "followed the recording to its end" "$work/windows-replay.log" ||
    fail "the replay left the recording"
# The session's raw files were converted and renamed; the replay's wait as they were saved.
[ "$(digests "$folder" "*.bia.*")" = "$(digests "$replayed" "*.bia")" ] ||
    fail "the replay did not write the session's raw files"

echo "== Windows: a COM port that is not there and registry values of the wrong type or length"
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Kestrom\\Velmora]\r\n'
    printf '"Drivers"=dword:00000005\r\n'
    printf '"Import"="%s"\r\n' "$(winpath "$win/$(printf 'x%.0s' {1..300})")"
} | iconv -f UTF-8 -t UTF-16 >"$win/bad.reg"
"$root/cmake/wine-run.sh" "$wine" "$prefix" regedit /S "$(winpath "$win/bad.reg")" \
    >>"$work/windows-regedit.log" 2>&1 || fail "the registry values could not be set"
sed -i 's/m_port=5/m_port=9/' "$folder/zepimport.ini"
# A raw file waiting for conversion makes the conversion read the import folder.
cp "$(ls "$folder"/*.bia.* | head -1)" "$folder/20000101000000.bia"
"$root/cmake/wine-run.sh" "$wine" "$prefix" "$program_exe" --headless \
    >"$work/windows-bad.log" 2>&1 </dev/null &
pids+=($!)
program=$!
for line in "Ошибка открытия COM-порта." "Не найден путь к папке драйверов." "Не указан каталог импорта."; do
    wait_for 60 "grep -q '$line' '$work/windows-bad.log'" || fail "no line \"$line\""
done
kill -INT "$program"
wait "$program" || fail "zepimport.exe ended with status $? after bad input"
[ -f "$folder/20000101000000.bia" ] || fail "the raw file was lost"
echo "windows-session: passed"
