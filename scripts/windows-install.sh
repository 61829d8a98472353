#!/usr/bin/env bash
# The Windows Installer package as a user and an administrator meet it, under Wine in a fresh
# prefix: the package of the version before this one installed silently for the current user,
# its program running a ZEP session from its installed place (scripts/windows-session.sh), then
# this version's package upgrading it in place, keeping the settings file and the raw files;
# silent removal leaving no program file, shortcut, autostart value or entry under installed
# programs, while the program folder's data stay. A removal for an upgrade keeps the autostart
# value: Windows marks it with UPGRADINGPRODUCTCODE, which Wine's upgrade does not set, so that
# removal is made by hand. Last, an install for the whole machine (ALLUSERS=1) into Program
# Files, whose removal leaves another copy's autostart value.
# Usage: scripts/windows-install.sh [NATIVE_BUILD] [WINDOWS_BUILD]   (default: build build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
native="${1:-build}"
windows="${2:-build-win}"
wine="$(command -v /usr/lib/wine/wine64 || command -v wine64 || command -v wine)"
work="$(mktemp -d)"
prefix="$work/prefix"

cleanup() {
    "$root/cmake/wine-prefix.sh" stop "$wine" "$prefix"
    rm -rf "$work"
}
trap cleanup EXIT

script_name=windows-install
# shellcheck source=scripts/wine-script-lib.sh
. "$root/scripts/wine-script-lib.sh"

cmake --build "$windows" --target msi msi_older >"$work/build.log" 2>&1 ||
    fail "the packages could not be built"
package="$(ls -t "$root/$windows"/zepimport-*-x64.msi | head -1)"
older="$(ls -t "$root/$windows"/test-packages/zepimport-*-x64.msi | head -1)"
version="$(basename "$package" | sed 's/^zepimport-\(.*\)-x64\.msi$/\1/')"
older_version="$(basename "$older" | sed 's/^zepimport-\(.*\)-x64\.msi$/\1/')"

wine_run() { "$root/cmake/wine-run.sh" "$wine" "$prefix" "$@"; }
# msiexec's exit is the end of its work: Wine's installer runs in the msiexec process.
msi() {
    wine_run msiexec "$@" /qn >>"$work/msiexec.log" 2>&1 || fail "msiexec $* ended with status $?"
}
# A registry key as text: exported by Wine's reg (UTF-16), so that Cyrillic stays whatever the
# code page.
registry() {
    rm -f "$work/key.reg"
    wine_run reg export "$1" "$(winarg "$work/key.reg")" >/dev/null 2>&1 || return 0
    iconv -f UTF-16 -t UTF-8 "$work/key.reg" | tr -d '\r'
}
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
set_autostart() {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"ZEPImport"="\\"%s\\""\r\n' \
        "${run_key/HKCU/HKEY_CURRENT_USER}" "${1//\\/\\\\}" | iconv -f UTF-8 -t UTF-16 >"$work/run.reg"
    wine_run regedit /S "$(winarg "$work/run.reg")" >/dev/null 2>&1 || fail "regedit failed"
}
autostart() { registry "$run_key" | sed -n 's/^"ZEPImport"="\\"\(.*\)\\""$/\1/p' | sed 's/\\\\/\\/g'; }
entries() { registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -c '^"DisplayName"="ZEP Импорт"$' || true; }
linux_path() { wine_run winepath -u "$1" 2>/dev/null | tr -d '\r'; }

"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
local_data="$(wine_run cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')"
program_win="$local_data\\Programs\\ZEP Import\\zepimport.exe"
program="$(linux_path "$program_win")"
# An installed program keeps its data in the user's data folder, never in the package's folder.
folder="$(linux_path "$local_data\\zepimport")"
shortcut="$(linux_path "$(wine_run cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")"
shortcut="$shortcut/Microsoft/Windows/Start Menu/Programs/ZEP Импорт.lnk"

echo "== $older_version for the current user: $program_win"
msi /i "$(winarg "$older")"
[ -f "$program" ] || fail "no $program"
[ -f "$(dirname "$program")/zepimport.installed" ] || fail "no installation marker beside $program"
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' >"$work/arp.txt"
for line in '"DisplayName"="ZEP Импорт"' "\"DisplayVersion\"=\"$older_version\"" '"Publisher"="Kestrom"'; do
    grep -qxF "$line" "$work/arp.txt" || fail "the installed programs' entry lacks $line"
done
icon="$(registry 'HKCU\Software\Microsoft\Installer\Products' | sed -n 's/^"ProductIcon"="\(.*\)"$/\1/p' | sed 's/\\\\/\\/g')"
[ -f "$(linux_path "$icon")" ] || fail "no product icon ($icon)"

scripts/windows-session.sh --installed "$prefix" "$program" "$folder" "$native" "$windows"
"$root/cmake/wine-prefix.sh" start "$wine" "$prefix"
settings="$(sha256sum <"$folder/zepimport.ini")"
raw_files="$(ls "$folder" | grep -c '\.bia\.' || true)"
[ "$raw_files" -gt 0 ] || fail "the session left no raw file"

echo "== upgrade to $version"
msi /i "$(winarg "$package")"
[ -f "$program" ] || fail "no program after the upgrade"
[ -f "$shortcut" ] || fail "no shortcut after the upgrade"
registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' >"$work/arp.txt"
grep -qxF "\"DisplayVersion\"=\"$version\"" "$work/arp.txt" || fail "the entry does not show $version"
[ "$(entries)" = 1 ] || fail "the older version is still listed"
[ "$(sha256sum <"$folder/zepimport.ini")" = "$settings" ] || fail "the upgrade changed the settings file"
[ "$(ls "$folder" | grep -c '\.bia\.' || true)" = "$raw_files" ] || fail "the upgrade touched the raw files"
wine_run "$program" --version >"$work/version.log" 2>&1 || fail "--version ended with status $?"
grep -qx "zepimport $version" <(tr -d '\r' <"$work/version.log") || fail "--version: $(cat "$work/version.log")"

echo "== removal"
set_autostart "$program_win"
[ "$(autostart)" = "$program_win" ] || fail "the autostart value was not set"
msi /x "$(winarg "$package")"
[ ! -e "$program" ] || fail "the program file stayed"
[ ! -e "$shortcut" ] || fail "the shortcut stayed"
[ -z "$(autostart)" ] || fail "the autostart value stayed: $(autostart)"
[ "$(entries)" = 0 ] || fail "the program is still listed as installed"
[ "$(sha256sum <"$folder/zepimport.ini")" = "$settings" ] || fail "the removal changed the settings file"
[ "$(ls "$folder" | grep -c '\.bia\.' || true)" = "$raw_files" ] || fail "the removal touched the raw files"

echo "== a removal for an upgrade keeps the autostart value"
msi /i "$(winarg "$package")"
set_autostart "$program_win"
msi /x "$(winarg "$package")" UPGRADINGPRODUCTCODE="{00000000-0000-0000-0000-000000000001}"
[ ! -e "$program" ] || fail "the program file stayed"
[ "$(autostart)" = "$program_win" ] || fail "the removal for an upgrade took the autostart value"

echo "== $version for the whole machine (ALLUSERS=1)"
machine_program="$(linux_path 'C:\Program Files\ZEP Import\zepimport.exe')"
msi /i "$(winarg "$package")" ALLUSERS=1
[ -f "$machine_program" ] || fail "no $machine_program"
msi /x "$(winarg "$package")" ALLUSERS=1
[ ! -e "$machine_program" ] || fail "the program file in Program Files stayed"
[ "$(autostart)" = "$program_win" ] || fail "the removal took another copy's autostart value"
echo "windows-install: passed"
