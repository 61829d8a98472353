#!/bin/sh
# Runs a cross-built Windows program under Wine in a given prefix, without Wine's own chatter
# and without the Mono and Gecko installers a fresh prefix would ask for.
# Usage: wine-run.sh WINE PREFIX PROGRAM [ARGUMENTS...]
wine="$1"
export WINEPREFIX="$2"
shift 2
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$wine" "$@"
