#!/bin/sh
# Runs a command on the X display in $DISPLAY, or on a virtual one (Xvfb) made for it when
# there is none, as the window tests under Wine need a display.
if [ -n "$DISPLAY" ]; then
    exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
