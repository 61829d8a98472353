#!/bin/sh
# Runs the window tests under Wine on a display: the X display in $DISPLAY, or a virtual one
# (Xvfb) made for the run. Wine is set to draw its windows inside one virtual desktop window,
# so that showing and hiding a window does not wait for a window manager that Xvfb lacks.
# The desktop is named for this run: a desktop of a name the prefix has met before may already
# be held by an explorer that the prefix's start made without a display, where no window can
# be created. The name is taken out of the prefix's settings again afterwards.
# Usage: with-display.sh WINE-RUN WINE PREFIX PROGRAM [ARGUMENTS...]
set -eu
desktop="ZepWindowTests$$"
"$1" "$2" "$3" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$desktop" /f >/dev/null 2>&1
"$1" "$2" "$3" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d 1024x768 /f \
    >/dev/null 2>&1
status=0
if [ -n "${DISPLAY:-}" ]; then
    "$@" || status=$?
else
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@" || status=$?
fi
"$1" "$2" "$3" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
"$1" "$2" "$3" reg delete 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /f \
    >/dev/null 2>&1 || true
exit "$status"
