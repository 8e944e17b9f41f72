#!/usr/bin/env python3
"""A loopback update server with fixed answers for the AutoUpdate.dll tests.

Listens on 127.0.0.1 at a free port, which it writes into --port-file once it
is ready. --program names the file served as a new program build.
"""
import argparse
import hashlib
import http.server
import threading
import time

WHITELIST = (b"{VERSION}\r\n3.5\r\n\r\n{KEY}\r\nSoftware\\KeldrixUpdateTest\r\n"
             b"{VALUE}\r\n{VALUENAME}\r\n")


def answer(kind, version, url, tag, digest):
    return ('<?xml version="1.0"?>\n<keldrixupdate>\n  <kind>%s</kind>\n  <version>%s</version>\n'
            '  <url>%s</url>\n  <%s>%s</%s>\n</keldrixupdate>\n'
            % (kind, version, url, tag, digest, tag)).encode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--program", required=True)
    args = parser.parse_args()
    with open(args.program, "rb") as f:
        program = f.read()
    released = threading.Event()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *unused):
            pass

        def send(self, body, length=None, content_type="text/xml"):
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body) if length is None else length))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
            self.close_connection = True

        def do_GET(self):
            base = "http://127.0.0.1:%d/files/" % self.server.server_port
            sha, md5 = hashlib.sha256(WHITELIST).hexdigest(), hashlib.md5(WHITELIST).hexdigest()
            answers = {
                "/noupdate.xml": answer("whitelist", "1.0", base + "whitelist.dat", "sha256", sha),
                "/update.xml": answer("whitelist", "3.5", base + "whitelist.dat", "sha256", sha),
                "/update-md5.xml": answer("whitelist", "3.5", base + "whitelist.dat", "md5", md5.upper()),
                "/baddigest.xml": answer("whitelist", "3.5", base + "whitelist.dat", "sha256",
                                         hashlib.sha256(WHITELIST + b"!").hexdigest()),
                "/truncated.xml": answer("whitelist", "3.5", base + "truncated.dat", "sha256", sha),
                "/program.xml": answer("program", "16001", base + "program.exe", "sha256",
                                       hashlib.sha256(program).hexdigest()),
                "/garbage.xml": b"<html><body>not an answer</body></html>",
            }
            path = self.path.split("?")[0]
            if path in answers:
                self.send(answers[path])
            elif path == "/hold.xml":        # answers once /release.xml has been asked
                released.wait(60)
                self.send(answers["/update.xml"])
            elif path == "/release.xml":
                released.set()
                self.send(answers["/noupdate.xml"])
            elif path == "/silent.xml":      # takes the request and never answers
                time.sleep(60)
                self.close_connection = True
            elif path == "/files/whitelist.dat":
                self.send(WHITELIST, content_type="application/octet-stream")
            elif path == "/files/truncated.dat":  # announces the whole file, sends half
                self.send(WHITELIST[: len(WHITELIST) // 2], len(WHITELIST), "application/octet-stream")
            elif path == "/files/program.exe":
                self.send(program, content_type="application/octet-stream")
            else:
                self.send_error(404)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.server_port))
    import os
    os.rename(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
