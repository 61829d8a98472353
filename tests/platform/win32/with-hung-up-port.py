#!/usr/bin/env python3
"""Runs a test program under Wine with a COM port whose device hangs up while it is open.

A pseudo-terminal is linked into the Wine prefix as COM<port>; the program is told the port in
ZEP_HANGUP_PORT and, in ZEP_HANGUP_READY, the name of a file to create once it holds the port
open. Then the other end of the pseudo-terminal closes, as a simulator or a pulled adapter ends.
Usage: with-hung-up-port.py PORT WINE-RUN WINE PREFIX PROGRAM [ARGUMENTS...]
"""
import os
import pty
import subprocess
import sys
import tempfile
import time

READY_WAIT_S = 60
END_WAIT_S = 60


def say(text):
    print("with-hung-up-port: " + text, file=sys.stderr, flush=True)


def main():
    port, command = sys.argv[1], sys.argv[2:]
    link = os.path.join(command[2], "dosdevices", "com" + port)
    master, slave = pty.openpty()
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(slave), link)
    # The prefix must not keep the device end open, or the hang-up never comes.
    os.close(slave)
    with tempfile.TemporaryDirectory() as folder:
        ready = os.path.join(folder, "ready")
        env = dict(os.environ, ZEP_HANGUP_PORT=port,
                   ZEP_HANGUP_READY="Z:" + ready.replace("/", "\\"))
        program = subprocess.Popen(command, env=env)
        try:
            deadline = time.monotonic() + READY_WAIT_S
            while not os.path.exists(ready) and program.poll() is None:
                if time.monotonic() > deadline:
                    say("the program never said the port was open")
                    break
                time.sleep(0.1)
            os.close(master)
            try:
                return program.wait(timeout=END_WAIT_S)
            except subprocess.TimeoutExpired:
                say("the program did not end after the hang-up")
                program.kill()
                program.wait()
                return 1
        finally:
            os.unlink(link)


if __name__ == "__main__":
    sys.exit(main())
