#!/usr/bin/env python3
"""The forum server of the update-check tests, on 127.0.0.1 only.

    version_server.py start DIR PORT STALLED_PORT   runs in the background once
                                                    both ports listen
    version_server.py stop DIR

PORT serves the version file /Pendrake/Zelvorn版本号.txt (the name in code page
936, raw or percent-encoded); every other path gets a 404 page. What the file
answers is set by writing a mode to DIR/mode; the server takes a new mode
within a few milliseconds and then writes it to DIR/state, so a test waits
for DIR/state before it starts the program:

    V1.3 V1.4      the text itself
    crlf           "V1.3" CR LF
    nul            "V1.3", a zero byte, more bytes
    empty          a 200 with no body
    not_found      a 404 page for the file too
    exact_cap      a 200 with 65,536 bytes
    over_cap       a 200 with 65,537 bytes
    partial        "V1." of a promised 10 bytes, then the connection is reset
    reset          the connection is reset before any byte of the answer
    hang           the request is read and never answered
    trickle        a 200 whose body comes one byte every 0.4 s, without end
    down           nothing listens on PORT: connections are refused

Each request's line and headers, as received, are appended to
DIR/requests.log, each ended by an empty line.

STALLED_PORT listens but never accepts, and its queue is kept full, so a
connection to it is never completed: the client waits for its connect
time-out.
"""
import os
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse

VERSION_FILE = b"/Pendrake/Zelvorn" + "版本号".encode("cp936") + b".txt"
NOT_FOUND_PAGE = b"<html><body><h1>404 Not Found</h1></body></html>"
TRICKLE_SECONDS = 0.4
HANG_SECONDS = 60

BODIES = {
    "V1.3": b"V1.3",
    "V1.4": b"V1.4",
    "crlf": b"V1.3\r\n",
    "nul": b"V1.3\0V9.9 and more",
    "empty": b"",
    "exact_cap": b"V" * 65536,
    "over_cap": b"V" * 65537,
}


def reset(conn):
    # A zero linger time makes close() send RST instead of FIN.
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    conn.close()


def answer(conn, status, body, length=None):
    reason = {200: b"OK", 404: b"Not Found"}[status]
    head = b"HTTP/1.0 %d %s\r\nContent-Type: text/plain\r\n" % (status, reason)
    if length is not None:
        head += b"Content-Length: %d\r\n" % length
    conn.sendall(head + b"\r\n" + body)


def serve(conn, folder, mode):
    try:
        conn.settimeout(10)
        request = b""
        while b"\r\n\r\n" not in request:
            chunk = conn.recv(4096)
            if not chunk:
                return
            request += chunk
        head = request.split(b"\r\n\r\n", 1)[0]
        with open(os.path.join(folder, "requests.log"), "ab") as log:
            log.write(head + b"\r\n\r\n")
        target = head.split(b"\r\n", 1)[0].split(b" ")
        path = urllib.parse.unquote_to_bytes(target[1]) if len(target) == 3 else b""
        if mode == "reset":
            reset(conn)
        elif mode == "hang":
            conn.settimeout(HANG_SECONDS)
            conn.recv(1)  # until the client gives up
        elif path != VERSION_FILE or mode == "not_found":
            answer(conn, 404, NOT_FOUND_PAGE, len(NOT_FOUND_PAGE))
        elif mode == "partial":
            answer(conn, 200, b"V1.", 10)
            time.sleep(0.1)
            reset(conn)
        elif mode == "trickle":
            answer(conn, 200, b"")
            while True:
                conn.sendall(b"V")
                time.sleep(TRICKLE_SECONDS)
        else:
            body = BODIES[mode]
            answer(conn, 200, body, len(body))
    except OSError:
        pass
    finally:
        conn.close()


def listen(port, backlog):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(backlog)
    return listener


def stall(port):
    """A listener whose queue is full: further connection attempts get no
    answer at all, as from a host that drops them."""
    listener = listen(port, 0)
    fillers = []
    for _ in range(4):
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.setblocking(False)
        filler.connect_ex(("127.0.0.1", port))
        fillers.append(filler)
    time.sleep(0.2)
    return listener, fillers


def read_mode(folder):
    try:
        with open(os.path.join(folder, "mode"), encoding="ascii") as f:
            mode = f.read().strip()
    except OSError:
        return "V1.3"
    return mode if mode in BODIES or mode in (
        "not_found", "partial", "reset", "hang", "trickle", "down") else "V1.3"


def run(folder, port, stalled_port):
    kept = stall(stalled_port)  # noqa: F841 (held open while the server runs)
    listener = None
    state = None
    ready = True
    while True:
        mode = read_mode(folder)
        if mode == "down" and listener is not None:
            listener.close()
            listener = None
        elif mode != "down" and listener is None:
            listener = listen(port, 16)
            listener.settimeout(0.01)
        if mode != state:
            state = mode
            with open(os.path.join(folder, "state.new"), "w", encoding="ascii") as f:
                f.write(mode)
            os.replace(os.path.join(folder, "state.new"), os.path.join(folder, "state"))
        if ready:
            ready = False
            yield  # both ports are set up
        if listener is None:
            time.sleep(0.01)
            continue
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        conn.setblocking(True)
        threading.Thread(target=serve, args=(conn, folder, mode), daemon=True).start()


def start(folder, port, stalled_port):
    os.makedirs(folder, exist_ok=True)
    for name in ("requests.log", "state"):
        try:
            os.remove(os.path.join(folder, name))
        except FileNotFoundError:
            pass
    read_end, write_end = os.pipe()
    if os.fork():
        os.close(write_end)
        ok = os.read(read_end, 1) == b"1"
        return 0 if ok else 1
    os.close(read_end)
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    with open(os.path.join(folder, "pid"), "w", encoding="ascii") as f:
        f.write(str(os.getpid()))
    server = run(folder, port, stalled_port)
    try:
        next(server)
    except OSError:
        os.write(write_end, b"0")
        os._exit(1)
    os.write(write_end, b"1")
    os.close(write_end)
    for _ in server:
        pass
    return 0


def stop(folder):
    try:
        with open(os.path.join(folder, "pid"), encoding="ascii") as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    os.remove(os.path.join(folder, "pid"))
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "start":
        return start(argv[2], int(argv[3]), int(argv[4]))
    if len(argv) == 3 and argv[1] == "stop":
        return stop(argv[2])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
