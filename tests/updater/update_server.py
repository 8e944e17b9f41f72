#!/usr/bin/env python3
"""Loopback update server with fixed answers for the AutoUpdate.dll tests.

Listens on a free port of 127.0.0.1, written into PORT_FILE once it is ready;
PROGRAM is the file served as a new program build.
usage: update_server.py PORT_FILE PROGRAM
"""
import hashlib
import http.server
import os
import sys
import threading
import time

WHITELIST = b"{VERSION}\r\n3.5\r\n\r\n{KEY}\r\nSoftware\\KeldrixUpdateTest\r\n{VALUE}\r\n{VALUENAME}\r\n"
PROGRAM = open(sys.argv[2], "rb").read()
RELEASED = threading.Event()


def answer(kind, version, file, tag, digest):
    return ('<?xml version="1.0"?>\n<keldrixupdate>\n  <kind>%s</kind>\n  <version>%s</version>\n'
            '  <url>http://127.0.0.1:%d/files/%s</url>\n  <%s>%s</%s>\n</keldrixupdate>\n'
            % (kind, version, PORT, file, tag, digest, tag)).encode()


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *unused):
        pass

    def send(self, body, length=None):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        sha = hashlib.sha256(WHITELIST).hexdigest()
        answers = {
            "/noupdate.xml": answer("whitelist", "1.0", "whitelist.dat", "sha256", sha),
            "/update.xml": answer("whitelist", "3.5", "whitelist.dat", "sha256", sha),
            "/update-md5.xml": answer("whitelist", "3.5", "whitelist.dat", "md5",
                                      hashlib.md5(WHITELIST).hexdigest().upper()),
            "/baddigest.xml": answer("whitelist", "3.5", "whitelist.dat", "sha256",
                                     hashlib.sha256(WHITELIST + b"!").hexdigest()),
            "/truncated.xml": answer("whitelist", "3.5", "truncated.dat", "sha256", sha),
            "/program.xml": answer("program", "16001", "program.exe", "sha256", hashlib.sha256(PROGRAM).hexdigest()),
            "/garbage.xml": b"<html><body>not an answer</body></html>",
            "/files/whitelist.dat": WHITELIST,
            "/files/program.exe": PROGRAM,
        }
        path = self.path.split("?")[0]
        if path == "/hold.xml":            # answers once /release.xml has been asked
            RELEASED.wait(60)
            path = "/update.xml"
        elif path == "/release.xml":
            RELEASED.set()
            path = "/noupdate.xml"
        if path in answers:
            self.send(answers[path])
        elif path == "/files/truncated.dat":  # announces the whole file, sends half
            self.send(WHITELIST[: len(WHITELIST) // 2], len(WHITELIST))
        elif path == "/silent.xml":        # takes the request and never answers
            time.sleep(60)
        else:
            self.send_error(404)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
PORT = server.server_port
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write(str(PORT))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
server.serve_forever()
