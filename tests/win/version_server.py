#!/usr/bin/env python3
"""The version server of the Windows tests, on 127.0.0.1 only.

It answers every request by the mode written in DIR/mode, and appends each
request line and its headers to DIR/requests.log:
  V1.3, V1.4, crlf ("V1.3" CR LF), nul ("V1.3", a zero byte, more bytes),
  not_found (a 404 page), big (a 200 with 70 KiB), empty (a 200 with no body),
  hang (never answers), reset (closes the connection at once).
Usage: version_server.py PORT DIR   (runs until killed)
"""
import os
import socket
import sys
import threading

BODIES = {
    "V1.3": (200, b"V1.3"), "V1.4": (200, b"V1.4"), "crlf": (200, b"V1.3\r\n"),
    "nul": (200, b"V1.3\0V9.9"), "not_found": (404, b"<html>Not Found</html>"),
    "big": (200, b"V" * (70 * 1024)), "empty": (200, b""),
}


def serve(conn, folder):
    with conn:
        conn.settimeout(5)
        data = b""
        try:
            while b"\r\n\r\n" not in data:
                chunk = conn.recv(4096)
                if not chunk:
                    return
                data += chunk
        except OSError:
            return
        with open(os.path.join(folder, "requests.log"), "ab") as log:
            log.write(data.split(b"\r\n\r\n")[0] + b"\r\n\r\n")
        try:
            with open(os.path.join(folder, "mode"), encoding="ascii") as f:
                mode = f.read().strip()
        except OSError:
            mode = "V1.3"
        if mode == "hang":
            threading.Event().wait(30)
            return
        if mode == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\1\0\0\0\0\0\0\0")
            return
        status, body = BODIES[mode]
        reason = b"OK" if status == 200 else b"Not Found"
        head = b"HTTP/1.0 %d %s\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n" % (status, reason, len(body))
        try:
            conn.sendall(head + body)
        except OSError:
            pass


def main():
    port, folder = int(sys.argv[1]), sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(16)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, folder), daemon=True).start()


if __name__ == "__main__":
    main()
