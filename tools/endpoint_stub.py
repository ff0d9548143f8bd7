#!/usr/bin/env python3
"""A stand-in for Quillon's web service on the loopback address.

    endpoint_stub.py --port PORT [--reply FILE] [--ready FILE]

It answers every request with what a script says, records every request
(method, path, headers in the order they came, body), and is itself scripted
and read over HTTP under the path /__stub/, so a test program under Wine
drives it with the same HTTP client the product uses:

    POST /__stub/reset            forget the script and the recorded requests
    POST /__stub/script           replace the script (JSON, below)
    GET  /__stub/requests         the recorded requests, oldest first (JSON):
                                  method, path, headers, body, "time" (when
                                  it came) and "answered" (when the stub had
                                  sent its answer or closed the connection),
                                  both in seconds since 1970

A script maps a request path (without its query) to a list of steps, used
one per request to that path; the last step of a list is used again once
the list is spent. The path "*" serves every path without a list of its own.

    {"paths": {"/api.init.php": [{"kind": "refuse"}, {"kind": "refuse"},
                                  {"kind": "reply", "body": "{}"}]}}

A step is one of:

    {"kind": "reply", "status": 200, "body": "text", "headers": {"Name": "value"},
     "charset": "ISO-8859-1", "delay_ms": 0}
        an answer; the body is sent as UTF-8 whatever charset the
        Content-Type declares (text/html, with the charset given, if any);
        "body_base64" sends raw bytes instead of "body"; "size_bytes": N
        with "fill": "0123456789" sends N bytes of the fill repeated (cut
        at N; "x" without a fill), written in pieces as the client takes
        them, for a large body that the script need not carry
    {"kind": "redirect", "status": 302, "location": "/elsewhere"}
    {"kind": "refuse"}   the connection is reset once the request has come
    {"kind": "drop"}     the connection is closed without an answer
    {"kind": "delay", "delay_ms": 2000, "then": {step}}
    {"kind": "drip", "status": 200, "body": "text", "interval_ms": 500}
        the head at once with the whole body's Content-Length, then the
        body one byte per interval; a client that goes away ends it
    {"kind": "hang"}     the request is taken and never answered; the
                         connection stays open until the client closes it
                         (or the stub stops)

A client that goes away while a body is being written ends that answer
quietly; "answered" is then the moment the stub noticed.

Without a script every path answers 200 with an empty body, or with the
file given by --reply. --ready names a file written once the port listens.
"""
import argparse
import base64
import json
import socket
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CONTROL = "/__stub/"


def filled(fill, size, piece_bytes=64 * 1024):
    """size bytes of fill repeated, in pieces of piece_bytes, never all at once."""
    pattern = fill.encode("utf-8") or b"x"
    run = pattern * (piece_bytes // len(pattern) + 2)
    for offset in range(0, size, piece_bytes):
        start = offset % len(pattern)
        yield run[start:start + min(piece_bytes, size - offset)]


class Stub:
    def __init__(self, default_body):
        self.lock = threading.Lock()
        self.default_body = default_body
        self.reset()

    def reset(self):
        with self.lock:
            self.paths = {}
            self.used = {}
            self.requests = []

    def set_script(self, script):
        with self.lock:
            self.paths = {path: list(steps) for path, steps in script.get("paths", {}).items()}
            self.used = {}

    def record(self, entry):
        with self.lock:
            self.requests.append(entry)

    def next_step(self, path):
        with self.lock:
            key = path if path in self.paths else "*"
            steps = self.paths.get(key)
            if not steps:
                return {"kind": "reply", "status": 200, "body_bytes": self.default_body}
            index = self.used.get(key, 0)
            self.used[key] = index + 1
            return steps[min(index, len(steps) - 1)]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "QuillonStub/1"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        # The head and the body go out as separate writes; without this the
        # body would wait for the client's delayed acknowledgement (some
        # 40 ms), and the answer would arrive later than the stub says.
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def _body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def _send_head(self, status, length, content_type, extra=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()

    def _send(self, status, body, content_type="application/json; charset=utf-8", extra=None):
        self._send_head(status, len(body), content_type, extra)
        if self.command != "HEAD":
            self.wfile.write(body)

    def _send_pieces(self, status, length, pieces, content_type, extra=None, interval=0.0):
        """The head, then the body as the pieces come; stops quietly when
        the client goes away (a capped read, a request given up)."""
        self._send_head(status, length, content_type, extra)
        if self.command == "HEAD":
            return
        try:
            for piece in pieces:
                if interval:
                    time.sleep(interval)
                self.wfile.write(piece)
        except OSError:
            self.close_connection = True

    def _hang(self):
        """Holds the connection without a word until the client closes it."""
        self.close_connection = True
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass

    def _control(self, path, body):
        stub = self.server.stub
        if path == CONTROL + "reset":
            stub.reset()
            return self._send(200, b"{}")
        if path == CONTROL + "script":
            stub.set_script(json.loads(body.decode("utf-8") or "{}"))
            return self._send(200, b"{}")
        if path == CONTROL + "requests":
            with stub.lock:
                text = json.dumps(stub.requests, ensure_ascii=False)
            return self._send(200, text.encode("utf-8"))
        return self._send(404, b"{}")

    def _close_without_answer(self, reset):
        self.close_connection = True
        try:
            if reset:
                # SO_LINGER with a zero timeout makes close() send a reset.
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            else:
                self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.connection.close()

    def finish(self):
        try:
            super().finish()
        except (OSError, ValueError):
            pass  # the connection was closed on purpose

    def _serve(self, step):
        kind = step.get("kind", "reply")
        if step.get("delay_ms"):
            time.sleep(step["delay_ms"] / 1000.0)
        if kind == "delay":
            return self._serve(step.get("then", {"kind": "reply"}))
        if kind == "refuse":
            return self._close_without_answer(reset=True)
        if kind == "drop":
            return self._close_without_answer(reset=False)
        if kind == "redirect":
            return self._send(step.get("status", 302), b"", "text/plain", {"Location": step["location"]})
        if kind == "hang":
            return self._hang()
        if kind == "drip":
            body = step.get("body", "").encode("utf-8")
            pieces = (body[i:i + 1] for i in range(len(body)))
            return self._send_pieces(step.get("status", 200), len(body), pieces, "text/html",
                                     interval=step.get("interval_ms", 500) / 1000.0)
        if "size_bytes" in step:
            size = step["size_bytes"]
            return self._send_pieces(step.get("status", 200), size, filled(step.get("fill", "x"), size),
                                     "application/octet-stream")
        if "body_bytes" in step:
            body = step["body_bytes"]
        elif "body_base64" in step:
            body = base64.b64decode(step["body_base64"])
        else:
            body = step.get("body", "").encode("utf-8")
        content_type = "text/html"
        if step.get("charset"):
            content_type += "; charset=" + step["charset"]
        headers = dict(step.get("headers", {}))
        content_type = headers.pop("Content-Type", content_type)
        return self._send(step.get("status", 200), body, content_type, headers)

    def _handle(self):
        body = self._body()
        path = self.path.split("?", 1)[0]
        if path.startswith(CONTROL):
            return self._control(path, body)
        entry = {
            "method": self.command,
            "path": self.path,
            "headers": [[name, value] for name, value in self.headers.items()],
            "body": body.decode("utf-8", errors="replace"),
            "time": time.time(),
        }
        self.server.stub.record(entry)
        try:
            return self._serve(self.server.stub.next_step(path))
        finally:
            with self.server.stub.lock:
                entry["answered"] = time.time()

    do_GET = do_POST = do_PUT = do_HEAD = _handle


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--reply", help="file whose bytes every unscripted request gets")
    parser.add_argument("--ready", help="file written once the port listens")
    args = parser.parse_args()

    default_body = b""
    if args.reply:
        with open(args.reply, "rb") as f:
            default_body = f.read()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.stub = Stub(default_body)
    if args.ready:
        with open(args.ready, "w") as f:
            f.write(str(args.port))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
