#!/bin/sh
# The Wine prefix that one run of the cross-built tests shares: "start" makes it (once per build
# folder; a fresh prefix takes about 15 s) and keeps its server and services running for the
# whole run, so every test program starts in a second or so; "stop" ends them.
# Wine's helper processes outlive the command that starts them, so none of them may hold the
# caller's output open (ctest would wait for it): their output goes to a log in the prefix.
# Usage: wine-prefix.sh start|stop WINE PREFIX
set -eu
action="$1"
wine="$2"
export WINEPREFIX="$3"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
server="$(dirname "$wine")/wineserver"
[ -x "$server" ] || server=wineserver
case "$action" in
start)
    mkdir -p "$WINEPREFIX"
    log="$WINEPREFIX/../wineprefix.log"
    # A server already running for the prefix (an earlier start) is kept.
    "$server" -p >>"$log" 2>&1 </dev/null || true
    "$wine" wineboot --init >>"$log" 2>&1 </dev/null
    [ -d "$WINEPREFIX/drive_c/windows/system32" ] || { echo "no Wine prefix in $WINEPREFIX; see $log" >&2; exit 1; }
    ;;
stop)
    "$server" -k >/dev/null 2>&1 || true
    ;;
esac
