#!/usr/bin/env python3
"""Runs a command with the local test server around it.

Usage: with_server.py [server options] -- command [args...]

Starts server.py (options as in that file) on a free port of 127.0.0.1, exports
QM_TEST_SERVER=127.0.0.1:<port> to the command, runs it, stops the server by its process id
and exits with the command's exit status. Used as the WRAPPER of tests that need the server.
"""

import os
import selectors
import subprocess
import sys

START_TIMEOUT = 20.0
STOP_TIMEOUT = 5.0


def main(argv):
    if "--" not in argv:
        sys.stderr.write("usage: with_server.py [server options] -- command [args...]\n")
        return 2
    split = argv.index("--")
    server_args, command = argv[:split], argv[split + 1:]
    if not command:
        sys.stderr.write("with_server.py: no command given\n")
        return 2

    here = os.path.dirname(os.path.abspath(__file__))
    server = subprocess.Popen([sys.executable, os.path.join(here, "server.py")] + server_args,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
    try:
        address = read_address(server)
        if address is None:
            sys.stderr.write("with_server.py: the test server did not start\n")
            return 1
        env = dict(os.environ, QM_TEST_SERVER=address)
        return subprocess.call(command, env=env)
    finally:
        stop(server)


def read_address(server):
    """The "host:port" the server printed, or None when it ended or said nothing in time."""
    with selectors.DefaultSelector() as selector:
        selector.register(server.stdout, selectors.EVENT_READ)
        if not selector.select(START_TIMEOUT):
            return None
    line = server.stdout.readline().decode("ascii", errors="replace").strip()
    prefix = "listening "
    return line[len(prefix):] if line.startswith(prefix) else None


def stop(server):
    if server.poll() is None:
        server.terminate()
        try:
            server.wait(STOP_TIMEOUT)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
    server.stdout.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
