#!/bin/sh
# Runs a cross-built Windows program under Wine in a given prefix, without Wine's own chatter
# and without the Mono and Gecko installers a fresh prefix would ask for.
# Usage: wine-run.sh WINE PREFIX PROGRAM [ARGUMENTS...]
wine="$1"
export WINEPREFIX="$2"
shift 2
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine's debugger stays off: it would print a backtrace of a crash and end the program with
# status 0, so that a test program that crashed would pass; without it the program ends with
# its exception code.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
exec "$wine" "$@"
