#!/bin/sh
# Runs the window tests under Wine on a display: the X display in $DISPLAY, or a virtual one
# (Xvfb) made for the run. Wine is set to draw its windows inside one virtual desktop window,
# so that showing and hiding a window does not wait for a window manager that Xvfb lacks.
# Usage: with-display.sh WINE-RUN WINE PREFIX PROGRAM [ARGUMENTS...]
set -eu
"$1" "$2" "$3" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$1" "$2" "$3" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
    >/dev/null 2>&1
if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
