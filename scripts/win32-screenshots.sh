#!/usr/bin/env bash
# Takes docs/win32-main.png: the Windows window under Wine, on a virtual display, during a ZEP
# session from the Linux simulator on COM5. The dispatch system's folders (Drivers, Import) are
# in the prefix's registry, so the log shows an ordinary start (the driver loaded, the port
# opened), then the session's first file coming in. A fresh Wine prefix of its own keeps the
# values of other runs (scripts/windows-session.sh leaves broken ones behind) out of the
# picture. Then docs/win32-preview.png: the preview of a card that cardgen writes in drive E:,
# and docs/win32-card.png: the window after that card's import.
# Usage: scripts/win32-screenshots.sh [NATIVE_BUILD] [WINDOWS_BUILD]   (default: build build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${ZEP_SHOTS_DISPLAY:-}" ]; then
    ZEP_SHOTS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi
root="$PWD"
native="$root/${1:-build}"
windows="$root/${2:-build-win}"
wine="$(command -v /usr/lib/wine/wine64 || command -v wine64 || command -v wine)"
port=5
work="$(mktemp -d)"
prefix="$work/prefix"
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    "$root/cmake/wine-prefix.sh" stop "$wine" "$prefix"
    rm -rf "$work"
}
trap cleanup EXIT

script_name=win32-screenshots
# shellcheck source=scripts/wine-script-lib.sh
. "$root/scripts/wine-script-lib.sh"

# The screen, cut to what differs from the desktop's plain colour around the windows (above the
# task bar's place).
shoot() {
    import -window root "$work/screen.png"
    # The task bar at the bottom, there once a tray icon is, stays out.
    convert "$work/screen.png" -crop 1024x740+0+0 +repage "$work/screen.png"
    local desktop
    desktop="$(convert "$work/screen.png" -format '%[pixel:p{1023,739}]' info:)"
    convert "$work/screen.png" -bordercolor "$desktop" -border 1 -trim +repage "$1"
    echo "$1: $(identify -format '%wx%h' "$1")"
}

[ -x "$native/bin/zep-sim" ] || fail "no $native/bin/zep-sim: build the Linux tree first"
[ -f "$windows/bin/zepimport.exe" ] || fail "no $windows/bin/zepimport.exe: run scripts/build-windows.sh"

folder="$work/Программа"
mkdir -p "$folder" "$work/Импорт" "$work/drivers" "$work/config"
cp "$windows/bin/zepimport.exe" "$folder/"
cp "$windows/drivers/vl_m1.dll" "$work/drivers/"
printf '[COM Port]\r\nm_port=%d\r\n' "$port" >"$folder/zepimport.ini"

"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
# The caption buttons are glyphs of the Marlett font; a prefix that does not find it on its own
# draws them as letters.
for font in /usr/share/wine/fonts/marlett.ttf; do
    [ -f "$font" ] && cp "$font" "$prefix/drive_c/windows/Fonts/"
done
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Kestrom\\Velmora]\r\n'
    printf '"Drivers"="%s"\r\n' "$(winpath "$work/drivers")"
    printf '"Import"="%s"\r\n' "$(winpath "$work/Импорт")"
    # Wine lists no COM port of a link it did not find at its start; the port selector shows
    # what Windows would list.
    printf '\r\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n'
    printf '"\\\\Device\\\\Serial%d"="COM%d"\r\n' "$port" "$port"
} | iconv -f UTF-8 -t UTF-16 >"$work/values.reg"
"$root/cmake/wine-run.sh" "$wine" "$prefix" regedit /S "$(winpath "$work/values.reg")" \
    >"$work/regedit.log" 2>&1 || fail "the registry values could not be set"

XDG_CONFIG_HOME="$work/config" "$native/bin/zep-sim" --com "$port" --generate 3 --seed 7 \
    --sessions 1 --announce-every 1 --pace >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 10 "[ -L '$work/config/zepimport/ports/COM$port' ]" || fail "the simulator made no COM link"
ln -sfn "$(readlink "$work/config/zepimport/ports/COM$port")" "$prefix/dosdevices/com$port"

# A virtual desktop of its own draws the window with its frame, as Windows would, without a
# window manager.
"$root/cmake/wine-run.sh" "$wine" "$prefix" explorer /desktop=shots,1024x768 \
    "$folder/zepimport.exe" >"$work/program.log" 2>&1 </dev/null &
pids+=($!)
# The adapter sends the first file at the line's pace: the picture is taken while it comes in,
# with the start lines, the session's first lines and the bar still in the log's view.
wait_for 120 "grep -q 'data of' '$work/sim.log'" || fail "the session did not start"
sleep 1
shoot "$root/docs/win32-main.png"

# The preview: the program starts in the tray, and at its first tick finds a card in drive E:,
# which the prefix is told is removable; the preview is then the only window on the desktop.
"$root/cmake/wine-prefix.sh" stop "$wine" "$prefix"
for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
pids=()
"$native/bin/cardgen" "$work/card" --archives 3 >"$work/cardgen.log" 2>&1 ||
    fail "cardgen could not write the card"
ln -sfn "$work/card" "$prefix/dosdevices/e:"
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"e:"="floppy"\r\n'
} | iconv -f UTF-8 -t UTF-16 >"$work/drive.reg"
"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
"$root/cmake/wine-run.sh" "$wine" "$prefix" regedit /S "$(winpath "$work/drive.reg")" \
    >>"$work/regedit.log" 2>&1 || fail "drive E: could not be made removable"
# The drive types are read when the prefix starts.
"$root/cmake/wine-prefix.sh" stop "$wine" "$prefix"
"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
printf '[General]\r\nm_runMinimized=1\r\n[COM Port]\r\nm_port=0\r\n' >"$folder/zepimport.ini"
"$root/cmake/wine-run.sh" "$wine" "$prefix" explorer /desktop=shots,1024x768 \
    "$folder/zepimport.exe" >"$work/program2.log" 2>&1 </dev/null &
pids+=($!)
sleep 8
shoot "$root/docs/win32-preview.png"

# A card with its database only, imported without the preview and deleted from the card: the
# upper log names the card folder as Windows writes it. The picture is taken once the card is
# empty and its first import file is there, when the import's lines have long been drawn.
"$root/cmake/wine-prefix.sh" stop "$wine" "$prefix"
for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
pids=()
"$native/bin/cardgen" "$work/database-card" --archives 3 --no-files >>"$work/cardgen.log" 2>&1 ||
    fail "cardgen could not write the card"
ln -sfn "$work/database-card" "$prefix/dosdevices/e:"
printf '[General]\r\nm_preview=0\r\nm_deleteFlash=1\r\n[COM Port]\r\nm_port=0\r\n' \
    >"$folder/zepimport.ini"
imports() { find "$work/Импорт" -name '*.imp' | wc -l; }
before="$(imports)"
"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
"$root/cmake/wine-run.sh" "$wine" "$prefix" explorer /desktop=shots,1024x768 \
    "$folder/zepimport.exe" >"$work/program3.log" 2>&1 </dev/null &
pids+=($!)
wait_for 120 "[ -z \"\$(ls -A '$work/database-card/Pexilor/Tessal')\" ] && [ \$(imports) -gt $before ]" ||
    fail "the card was not imported"
shoot "$root/docs/win32-card.png"
