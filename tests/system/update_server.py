#!/usr/bin/env python3
"""Local release-page server for the update check's tests.

Listens on 127.0.0.1 at free ports: an HTTP server with one path per case, a socket that accepts and never
answers, and a port that refuses (bound once, then closed). "/trickle" sends its headers and then one byte every
TRICKLE_PAUSE seconds, at most TRICKLE_BYTES of them, so that no read ever times out. Writes "HTTP HANG REFUSED"
ports to argv[1] once ready and logs every request line to argv[2]. Runs until killed.
"""
import http.server
import socket
import sys
import threading
import time


def meta(name, content):
    return f'<META NAME="{name}" CONTENT="{content}">\r\n'


def release(version):
    return "<html><head>\r\n" + meta("QRVName", "Vantrel") + meta("QRVVersion", version) + "</head></html>\r\n"


PAGES = {
    "/newer": release("9.0.0.0"),
    "/same": release("1.2.0.0"),
    "/older": release("1.1.0.0"),
    "/meta-redirect": meta("QRVRedirection", "/newer") + release("0.0.0.1"),
    "/meta-loop": meta("QRVRedirection", "/meta-loop"),
    # UTF-8 around the META lines; the value itself is ASCII.
    "/no-length": "<p>\u65b0\u7248\u672c</p>\r\n" + release("9.0.0.0") + ("x" * 5000) + "\r\n",
}
REDIRECTS = {"/redirect": "/newer", "/loop": "/loop", "/absolute-redirect": None, "/other-host-redirect": None}
BIG = b"A" * (1024 * 1024)
TRICKLE_PAUSE = 4.0
TRICKLE_BYTES = 45  # three minutes, then the answer ends by itself

log_lock = threading.Lock()
log_file = None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):
        with log_lock:
            log_file.write(self.requestline + "\n")
            log_file.flush()

    def do_GET(self):
        path = self.path
        if path in REDIRECTS:
            # The same server under another name is another host to the client.
            host = "localhost" if path == "/other-host-redirect" else "127.0.0.1"
            target = REDIRECTS[path] or f"http://{host}:{self.server.server_address[1]}/older"
            self.send_response(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif path == "/no-length":
            body = PAGES[path].encode("utf-8")
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()  # no Content-Length: the body ends when the connection closes
            self.wfile.write(body)
        elif path in ("/big", "/big-no-length"):
            self.send_response(200)
            if path == "/big":
                self.send_header("Content-Length", str(len(BIG)))
            self.end_headers()
            try:
                self.wfile.write(BIG)
            except OSError:
                pass  # the client stopped reading at its cap
        elif path == "/trickle":
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            self.wfile.flush()
            try:
                for _ in range(TRICKLE_BYTES):
                    self.wfile.write(b" ")
                    self.wfile.flush()
                    time.sleep(TRICKLE_PAUSE)
            except OSError:
                pass  # the client closed its end
        elif path in PAGES:
            body = PAGES[path].encode("utf-8")
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        else:
            self.send_error(404)


def hold_forever(listener):
    held = []
    while True:
        conn, _ = listener.accept()
        held.append(conn)  # never read from, never answered, never closed


def main():
    global log_file
    log_file = open(sys.argv[2], "a")
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    hang = socket.socket()
    hang.bind(("127.0.0.1", 0))
    hang.listen(16)
    refused = socket.socket()
    refused.bind(("127.0.0.1", 0))
    refused_port = refused.getsockname()[1]
    refused.close()
    threading.Thread(target=hold_forever, args=(hang,), daemon=True).start()
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write(f"{server.server_address[1]} {hang.getsockname()[1]} {refused_port}\n")
    import os
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
