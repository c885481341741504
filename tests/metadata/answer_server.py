#!/usr/bin/env python3
"""The web services of the metadata tests, on the loopback interface.

Usage: answer_server.py ANSWERS_FOLDER

Prints the port it listens on, then one JSON line per request as it arrives
(path, query, User-Agent, Accept, monotonic time) and one when a streamed
answer ends ({"path": ..., "sent": bytes}), so a test sees what its client
sent and how much of a huge answer it took. Ends when its standard input
closes: a test that dies leaves no server behind.

A path names a file under ANSWERS_FOLDER, with or without its ending; a file
ending in .redirect sends the client to the address it holds. Paths the
tests need besides files:
  /slow?seconds=N          answers after N seconds (30 unless told)
  /huge                    50 MB without a length, until the client goes
  /huge-declared           50 MB with its length declared
  /redirect?to=ADDRESS     302 to ADDRESS
  /loop/N                  302 to /loop/N+1, for ever
  /status/CODE[/anything]  that status
"""

import glob
import json
import mimetypes
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

HUGE = 50 * 1024 * 1024
CHUNK = 64 * 1024
output_lock = threading.Lock()


def report(record):
    with output_lock:
        sys.stdout.write(json.dumps(record) + "\n")
        sys.stdout.flush()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    answers = ""

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        parts = urlsplit(self.path)
        query = parse_qs(parts.query)
        report({"path": parts.path, "query": parts.query,
                "agent": self.headers.get("User-Agent", ""),
                "accept": self.headers.get("Accept", ""), "time": time.monotonic()})
        if parts.path == "/slow":
            time.sleep(float(query.get("seconds", ["30"])[0]))
            self.answer(200, b"late\n", "text/plain")
        elif parts.path in ("/huge", "/huge-declared"):
            self.stream_huge(parts.path, declared=parts.path == "/huge-declared")
        elif parts.path == "/redirect":
            self.redirect(query["to"][0])
        elif parts.path.startswith("/loop/"):
            self.redirect("/loop/%d" % (int(parts.path.split("/")[2]) + 1))
        elif parts.path.startswith("/status/"):
            code = int(parts.path.split("/")[2])
            self.answer(code, b'{"error": "as asked"}', "application/json")
        else:
            self.answer_file(parts.path)

    def answer(self, code, body, content_type):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def redirect(self, location):
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def stream_huge(self, path, declared):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if declared:
            self.send_header("Content-Length", str(HUGE))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        sent = 0
        block = b"x" * CHUNK
        try:
            while sent < HUGE:
                self.wfile.write(block)
                sent += len(block)
        except OSError:
            pass
        report({"path": path, "sent": sent})

    def answer_file(self, path):
        root = os.path.realpath(self.answers)
        base = os.path.realpath(os.path.join(root, path.lstrip("/")))
        names = [base] + sorted(glob.glob(glob.escape(base) + ".*"))
        found = [name for name in names if os.path.isfile(name)]
        if not base.startswith(root + os.sep) or not found:
            self.answer(404, b'{"error": "Not Found"}', "application/json")
            return
        with open(found[0], "rb") as file:
            body = file.read()
        if found[0].endswith(".redirect"):
            self.redirect(body.decode().strip())
            return
        self.answer(200, body, mimetypes.guess_type(found[0])[0] or "application/octet-stream")


def end_with_input():
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    Handler.answers = sys.argv[1]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=end_with_input, daemon=True).start()
    report(server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
