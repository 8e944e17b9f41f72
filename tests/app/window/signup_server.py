#!/usr/bin/env python3
"""Loopback web host of the e-mail sign-up checks; prints its port.
A POST is answered as the first part of its path says, else as GET /mode/NAME
last chose; "echo" (the first choice) answers with the path, each
Content-Type header line and the body."""
import http.server, time

ANSWERS = {"ok": (200, b"ok"), "spaced": (200, b" OK \r\n"), "no": (200, b"no"), "error": (500, b"ok"),
           "big": (200, bytes(0 if i % 1000 == 0 else 1 + i % 250 for i in range(5000)))}
mode = ["echo"]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_message = lambda *unused: None

    def send(self, status, body):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        mode[0] = self.path[len("/mode/"):]
        self.send(200, b"")

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        types = "".join("Content-Type: %s\n" % v for v in self.headers.get_all("Content-Type", []))
        first = self.path.strip("/").split("/")[0]
        answer = first if first in ANSWERS or first == "silent" else mode[0]
        if answer == "silent":  # takes the request and never answers
            time.sleep(60)
        self.send(*ANSWERS.get(answer, (200, ("%s\n%s" % (self.path, types)).encode() + body)))


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_port, flush=True)
server.serve_forever()
