#!/usr/bin/env python3
"""Loopback web host of the e-mail sign-up tests: signup_server.py PORT_FILE

Writes its port (on 127.0.0.1) into PORT_FILE and ends once that file is gone.
A POST is answered by the first part of its path when that names an answer,
else by the one last chosen with GET /mode/NAME (at first "echo": the path,
each Content-Type header line and the body). GET /last gives the last POST so.
"""
import http.server, os, sys, threading, time

ANSWERS = {"ok": (200, b"ok"), "spaced": (200, b" OK \r\n"), "no": (200, b"no"), "error": (500, b"ok"),
           # 5,000 bytes, zero bytes among them, the last 2,048-byte chunk short
           "big": (200, bytes(0 if i % 1000 == 0 else 1 + i % 250 for i in range(5000)))}
state = {"mode": "echo", "last": b""}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *unused):
        pass

    def send(self, status, body):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path.startswith("/mode/"):
            state["mode"] = self.path[6:]
        self.send(200, state["last"] if self.path == "/last" else b"")

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        types = "".join("Content-Type: %s\n" % v for v in self.headers.get_all("Content-Type", []))
        state["last"] = ("%s\n%s" % (self.path, types)).encode("latin-1") + body
        first = self.path.strip("/").split("/")[0]
        mode = first if first in ANSWERS or first in ("echo", "silent") else state["mode"]
        if mode == "silent":  # takes the request and never answers
            time.sleep(60)
            self.close_connection = True
        else:
            self.send(*ANSWERS.get(mode, (200, state["last"])))


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write(str(server.server_port))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
threading.Thread(target=server.serve_forever, daemon=True).start()
while os.path.exists(sys.argv[1]):
    time.sleep(0.2)
