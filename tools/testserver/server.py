#!/usr/bin/env python3
"""Local HTTP/1.1 server for the installer's tests and benchmarks (Python 3 standard library).

Binds 127.0.0.1 only. Prints one line "listening 127.0.0.1:<port>" on stdout once it accepts
connections, and runs until SIGTERM or SIGINT. Usually started by with_server.py.

Options:
  --port N        port to bind (default 0: a free port)
  --root DIR      folder of the served files (default: a fresh temporary folder, removed at exit)
  --key TEXT      signing key of the report path (default: the installer's built-in key)
  --rate BYTES    default per-connection rate limit of file bodies in bytes/s (0: none)

Served paths
  GET/HEAD /<name>    a file of the root folder (flat names only). Answers 200 with
                      Content-Length and "Accept-Ranges: bytes"; a single "Range: bytes=a-b",
                      "bytes=a-" or "bytes=-n" gives 206 with "Content-Range: bytes a-b/size",
                      a range starting beyond the end gives 416 with "Content-Range: bytes */size",
                      a malformed or multi-part Range is ignored (200, whole file). A missing
                      file gives 404.
  POST /mp/collect    recorded; answers 204.
  POST /log/v1/api/report?sign=S&timestamp=T
                      recorded; the server checks S == MD5(key + "timestamp" + T + body + key)
                      over the exact body bytes and records the outcome as "signature_ok".
                      Answers 200 {"code":0,"msg":"ok"} when it matches, else
                      403 {"code":403,"msg":"bad signature"}.
  Any other POST      recorded; answers 404.

Faults. A fault has a kind and optional parameters; it applies to a request either because
the request's own query holds "fault=<kind>" (with the parameters as further query fields,
e.g. /setup.exe?fault=short&bytes=10), or because a rule set on the control path matches:
  404           answer 404.
  status        answer with the status "code" (default 500) and a short text body.
  short         announce the full Content-Length but send only "bytes" body bytes (default:
                half), then close the connection.
  reset         send "bytes" body bytes (default: half), wait half a second so that the
                client can read them (a reset drops what it has not read yet), then reset
                the connection (RST).
  stall         send "bytes" body bytes (default: half), then send nothing for "seconds"
                (default 30, at most 600, cut short when the server stops or is reset),
                then close the connection.
  hang          read the request, send nothing for "seconds" (default 30, at most 600, cut
                short when the server stops or is reset), then close the connection.
  ignore_range  answer 200 with the whole file whatever the Range header says.
  wrong_range   answer 206 with as many bytes as were asked for, but taken "shift" bytes
                (default 1) further into the file, with a Content-Range naming that range.
  length        answer a request without Range with 200 and "Content-Length: <length>"
                but no body, then close (for lengths a real file cannot have here).
  rate          limit this connection's body to "rate" bytes/s.

Control paths (never recorded)
  GET    /_test/ping                  "ok".
  PUT    /_test/files/<name>          store the body as a served file (201).
  DELETE /_test/files/<name>          remove a served file (204, 404 when absent).
  POST   /_test/faults?kind=K&...     add a fault rule (201). Fields: kind, path (the exact
                                      path without query; "*" or absent: every served path),
                                      count (how many matching requests it applies to;
                                      default: all), ranged (1: only requests with a Range
                                      header, 0: only requests without one), and the kind's
                                      parameters (code, bytes, seconds, shift, length, rate).
                                      Body: {"id": n}.
  DELETE /_test/faults                remove every fault rule (204).
  GET    /_test/requests[?path=P]     the request records as a JSON array, oldest first,
                                      optionally only those whose path (without query) is P.
  POST   /_test/reset                 forget records and fault rules, release stalled
                                      connections (204); "?files=1" also removes every file.

A request record is a JSON object:
  {"seq": n, "connection": n, "method": "GET", "target": "/a?b=1", "path": "/a",
   "query": "b=1", "version": "HTTP/1.1", "request_line": "GET /a?b=1 HTTP/1.1",
   "head": "<request line and header lines exactly as received, each ending in CRLF>",
   "headers": [["Name", "value"], ...]   (arrival order, names as sent),
   "body": "<body decoded as UTF-8, invalid bytes replaced>",
   "body_base64": "...", "body_length": n,
   "signature_ok": true/false            (report path only)}
"""

import argparse
import base64
import hashlib
import json
import os
import re
import shutil
import signal
import socket
import socketserver
import struct
import sys
import tempfile
import threading
import time
import urllib.parse

DEFAULT_KEY = "Kp3vN8qLt2WzR7mYc4HbX9fJd6GsQ1uE"
REPORT_PATH = "/log/v1/api/report"
COLLECT_PATH = "/mp/collect"
MAX_HEAD = 64 * 1024
MAX_BODY = 256 * 1024 * 1024
CHUNK = 256 * 1024
IDLE_TIMEOUT = 30.0
MAX_STALL = 600.0
RESET_PAUSE = 0.5
FAULT_KINDS = ("404", "status", "short", "reset", "stall", "hang", "ignore_range",
               "wrong_range", "length", "rate")
NAME_RE = re.compile(r"^[A-Za-z0-9._-]+$")


class BadRequest(Exception):
    pass


class ConnectionDone(Exception):
    """The connection ends here (fault or peer gone); nothing more is sent on it."""


class State:
    """Everything shared between connection threads, behind one lock."""

    def __init__(self, root, key, rate):
        self.root = root
        self.key = key.encode("latin-1")
        self.default_rate = rate
        self.lock = threading.Lock()
        self.records = []
        self.rules = []
        self.next_rule_id = 1
        self.next_connection = 1
        self.release = threading.Event()  # set to release stalled connections

    def connection_id(self):
        with self.lock:
            n = self.next_connection
            self.next_connection += 1
            return n

    def add_record(self, record):
        with self.lock:
            record["seq"] = len(self.records) + 1
            self.records.append(record)

    def add_rule(self, rule):
        with self.lock:
            rule["id"] = self.next_rule_id
            self.next_rule_id += 1
            self.rules.append(rule)
            return rule["id"]

    def take_rule(self, path, ranged):
        """The first rule that matches, with its remaining count reduced."""
        with self.lock:
            for rule in self.rules:
                if rule["path"] not in ("*", path):
                    continue
                if rule["ranged"] is not None and rule["ranged"] != ranged:
                    continue
                if rule["count"] is not None:
                    if rule["count"] <= 0:
                        continue
                    rule["count"] -= 1
                return dict(rule["params"], kind=rule["kind"])
            return None

    def reset(self, files):
        with self.lock:
            self.records = []
            self.rules = []
        # Wake stalled connections, then arm the event again for later stalls.
        self.release.set()
        time.sleep(0.05)
        self.release.clear()
        if files:
            for name in os.listdir(self.root):
                path = os.path.join(self.root, name)
                if os.path.isfile(path):
                    os.remove(path)


def parse_int(text, default=None, low=None, high=None):
    if text is None or text == "":
        return default
    try:
        value = int(text)
    except ValueError:
        raise BadRequest("not an integer: %r" % text)
    if low is not None and value < low or high is not None and value > high:
        raise BadRequest("out of range: %r" % text)
    return value


def fault_from_fields(fields):
    kind = fields.get("kind") or fields.get("fault")
    if kind not in FAULT_KINDS:
        raise BadRequest("unknown fault kind: %r" % kind)
    params = {
        "code": parse_int(fields.get("code"), 500, 100, 599),
        "bytes": parse_int(fields.get("bytes"), None, 0),
        "seconds": min(float(parse_int(fields.get("seconds"), 30, 0)), MAX_STALL),
        "shift": parse_int(fields.get("shift"), 1, 1),
        "length": parse_int(fields.get("length"), None, 0),
        "rate": parse_int(fields.get("rate"), None, 1),
    }
    if kind == "length" and params["length"] is None:
        raise BadRequest("fault 'length' needs length=")
    if kind == "rate" and params["rate"] is None:
        raise BadRequest("fault 'rate' needs rate=")
    return kind, params


def parse_range(header, size):
    """(first, last) for a satisfiable single range, "unsatisfiable", or None to ignore it."""
    m = re.fullmatch(r"\s*bytes\s*=\s*(\d*)\s*-\s*(\d*)\s*", header)
    if not m or (m.group(1) == "" and m.group(2) == ""):
        return None
    if m.group(1) == "":
        suffix = int(m.group(2))
        if suffix == 0:
            return "unsatisfiable"
        return (max(size - suffix, 0), size - 1) if size > 0 else "unsatisfiable"
    first = int(m.group(1))
    if m.group(2) != "" and int(m.group(2)) < first:
        return None
    if first >= size:
        return "unsatisfiable"
    last = int(m.group(2)) if m.group(2) != "" else size - 1
    return first, min(last, size - 1)


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.state = self.server.state
        self.sock = self.request
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.sock.settimeout(IDLE_TIMEOUT)
        self.buffer = b""
        self.connection = self.state.connection_id()
        self.rate = self.state.default_rate

    def handle(self):
        try:
            while self.serve_one():
                pass
        except (ConnectionDone, OSError):
            pass

    # ---- reading -------------------------------------------------------------------------

    def read_more(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionDone()
        self.buffer += data

    def read_head(self):
        while b"\r\n\r\n" not in self.buffer:
            # Anything but a request line (a TLS handshake, say) is refused at once.
            if self.buffer and not self.buffer[:1].isalpha():
                raise BadRequest("not an HTTP request")
            if len(self.buffer) > MAX_HEAD:
                raise BadRequest("request head too long")
            try:
                self.read_more()
            except ConnectionDone:
                if self.buffer:
                    raise BadRequest("connection closed inside the head")
                raise
        head, self.buffer = self.buffer.split(b"\r\n\r\n", 1)
        return head

    def read_exact(self, n):
        if n > MAX_BODY:
            raise BadRequest("body too long")
        while len(self.buffer) < n:
            self.read_more()
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def read_line(self):
        while b"\r\n" not in self.buffer:
            if len(self.buffer) > MAX_HEAD:
                raise BadRequest("line too long")
            self.read_more()
        line, self.buffer = self.buffer.split(b"\r\n", 1)
        return line

    def read_chunked(self):
        body = b""
        while True:
            size = int(self.read_line().split(b";")[0].strip() or b"0", 16)
            if size == 0:
                while self.read_line():
                    pass
                return body
            body += self.read_exact(size)
            self.read_line()
            if len(body) > MAX_BODY:
                raise BadRequest("body too long")

    # ---- one exchange ----------------------------------------------------------------------

    def serve_one(self):
        try:
            head = self.read_head()
        except ConnectionDone:
            return False
        except BadRequest as e:
            self.send_simple(400, str(e), close=True)
            return False
        try:
            request = self.parse_head(head)
            request["body"] = self.read_body(request)
        except BadRequest as e:
            self.send_simple(400, str(e), close=True)
            return False
        keep_alive = self.wants_keep_alive(request)
        if request["path"].startswith("/_test/"):
            self.control(request)
        else:
            self.record(request)
            self.serve(request, keep_alive)
        return keep_alive

    def parse_head(self, head):
        text = head.decode("latin-1")
        lines = text.split("\r\n")
        parts = lines[0].split(" ")
        if len(parts) != 3 or not parts[2].startswith("HTTP/"):
            raise BadRequest("bad request line")
        method, target, version = parts
        headers = []
        for line in lines[1:]:
            name, sep, value = line.partition(":")
            if not sep or not name or name != name.strip():
                raise BadRequest("bad header line: %r" % line)
            headers.append([name, value.strip(" \t")])
        path, _, query = target.partition("?")
        return {"method": method, "target": target, "path": path, "query": query,
                "version": version, "request_line": lines[0], "head": text + "\r\n",
                "headers": headers}

    @staticmethod
    def header(request, name):
        for n, v in request["headers"]:
            if n.lower() == name.lower():
                return v
        return None

    def read_body(self, request):
        if (self.header(request, "Transfer-Encoding") or "").lower() == "chunked":
            return self.read_chunked()
        length = self.header(request, "Content-Length")
        if length is None:
            return b""
        return self.read_exact(parse_int(length.strip(), 0, 0))

    def wants_keep_alive(self, request):
        connection = (self.header(request, "Connection") or "").lower()
        if request["version"] == "HTTP/1.0":
            return connection == "keep-alive"
        return connection != "close"

    def record(self, request):
        body = request["body"]
        record = {k: request[k] for k in ("method", "target", "path", "query", "version",
                                          "request_line", "head", "headers")}
        record.update(connection=self.connection,
                      body=body.decode("utf-8", errors="replace"),
                      body_base64=base64.b64encode(body).decode("ascii"),
                      body_length=len(body))
        if request["method"] == "POST" and request["path"] == REPORT_PATH:
            request["signature_ok"] = record["signature_ok"] = self.signature_ok(request)
        self.state.add_record(record)

    def signature_ok(self, request):
        fields = urllib.parse.parse_qs(request["query"], keep_blank_values=True)
        sign = fields.get("sign", [""])[0]
        timestamp = fields.get("timestamp", [""])[0]
        digest = hashlib.md5(self.state.key + b"timestamp" + timestamp.encode("latin-1") +
                             request["body"] + self.state.key).hexdigest()
        return bool(timestamp) and sign == digest

    # ---- answers ---------------------------------------------------------------------------

    def send_head(self, status, reason, fields, close):
        lines = ["HTTP/1.1 %d %s" % (status, reason)]
        lines += ["%s: %s" % f for f in fields]
        if close:
            lines.append("Connection: close")
        self.sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))

    def send_simple(self, status, text, close=False, content_type="text/plain"):
        reasons = {200: "OK", 201: "Created", 204: "No Content", 400: "Bad Request",
                   403: "Forbidden", 404: "Not Found", 405: "Method Not Allowed",
                   416: "Range Not Satisfiable", 500: "Internal Server Error"}
        body = text.encode("utf-8")
        fields = [("Content-Type", content_type)] if status != 204 else []
        if status != 204:
            fields.append(("Content-Length", str(len(body))))
        try:
            self.send_head(status, reasons.get(status, "Status"), fields, close)
            if status != 204:
                self.sock.sendall(body)
        except OSError:
            raise ConnectionDone()

    def serve(self, request, keep_alive):
        method, path = request["method"], request["path"]
        if method == "POST":
            if path == COLLECT_PATH:
                self.send_simple(204, "", close=not keep_alive)
            elif path == REPORT_PATH:
                if request["signature_ok"]:
                    self.send_simple(200, '{"code":0,"msg":"ok"}', not keep_alive,
                                     "application/json")
                else:
                    self.send_simple(403, '{"code":403,"msg":"bad signature"}', not keep_alive,
                                     "application/json")
            else:
                self.send_simple(404, "no such endpoint", close=not keep_alive)
            return
        if method not in ("GET", "HEAD"):
            self.send_simple(405, "method not allowed", close=not keep_alive)
            return
        self.serve_file(request, keep_alive)

    def fault_for(self, request, ranged):
        fields = dict(urllib.parse.parse_qsl(request["query"], keep_blank_values=True))
        if "fault" in fields:
            kind, params = fault_from_fields(fields)
            return dict(params, kind=kind)
        return self.state.take_rule(request["path"], ranged)

    def serve_file(self, request, keep_alive):
        range_header = self.header(request, "Range")
        try:
            fault = self.fault_for(request, range_header is not None)
        except BadRequest as e:
            self.send_simple(400, str(e), close=True)
            raise ConnectionDone()
        kind = fault["kind"] if fault else None
        if kind == "404":
            self.send_simple(404, "not found (fault)", close=not keep_alive)
            return
        if kind == "status":
            self.send_simple(fault["code"], "status fault", close=not keep_alive)
            return
        if kind == "hang":
            self.state.release.wait(fault["seconds"])
            raise ConnectionDone()
        if kind == "rate":
            self.rate = fault["rate"]
        head_only = request["method"] == "HEAD"
        if kind == "length" and range_header is None:
            self.send_head(200, "OK", [("Content-Length", str(fault["length"])),
                                       ("Accept-Ranges", "bytes")], close=True)
            raise ConnectionDone()
        name = request["path"][1:]
        file_path = os.path.join(self.state.root, name)
        if not NAME_RE.match(name) or not os.path.isfile(file_path):
            self.send_simple(404, "not found", close=not keep_alive)
            return
        with open(file_path, "rb") as f:
            size = os.fstat(f.fileno()).st_size
            span = None
            if range_header is not None and kind != "ignore_range":
                span = parse_range(range_header, size)
            if span == "unsatisfiable":
                fields = [("Content-Range", "bytes */%d" % size), ("Content-Length", "0")]
                self.send_head(416, "Range Not Satisfiable", fields, not keep_alive)
                return
            if span is None:
                status, reason, offset, count = 200, "OK", 0, size
                fields = []
            else:
                first, last = span
                count = last - first + 1
                offset = first
                if kind == "wrong_range":
                    offset = min(first + fault["shift"], max(size - count, 0))
                status, reason = 206, "Partial Content"
                fields = [("Content-Range", "bytes %d-%d/%d" % (offset, offset + count - 1,
                                                                size))]
            fields += [("Content-Type", "application/octet-stream"),
                       ("Content-Length", str(count)), ("Accept-Ranges", "bytes")]
            cut = None
            if kind in ("short", "reset", "stall") and not head_only:
                cut = fault["bytes"] if fault["bytes"] is not None else count // 2
                cut = min(cut, count)
            self.send_head(status, reason, fields, close=not keep_alive or cut is not None)
            if head_only:
                return
            self.send_body(f, offset, count if cut is None else cut)
            if cut is None:
                return
            if kind == "reset":
                self.state.release.wait(RESET_PAUSE)
                # Closed here: the usual end of a connection would send FIN before the RST.
                self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                     struct.pack("ii", 1, 0))
                self.sock.close()
            elif kind == "stall":
                self.state.release.wait(fault["seconds"])
            raise ConnectionDone()

    def send_body(self, f, offset, count):
        if not self.rate:
            if count:
                self.sock.sendfile(f, offset, count)
            return
        # Token bucket: never more than `rate` bytes ahead of the clock since the start.
        start = time.monotonic()
        sent = 0
        piece = max(4096, min(CHUNK, self.rate // 16))
        while sent < count:
            n = min(piece, count - sent)
            ahead = (sent + n) / self.rate - (time.monotonic() - start)
            if ahead > 0:
                time.sleep(ahead)
            self.sock.sendfile(f, offset + sent, n)
            sent += n

    # ---- control ---------------------------------------------------------------------------

    def control(self, request):
        method, path = request["method"], request["path"]
        fields = dict(urllib.parse.parse_qsl(request["query"], keep_blank_values=True))
        try:
            if path == "/_test/ping" and method == "GET":
                self.send_simple(200, "ok")
            elif path.startswith("/_test/files/") and method in ("PUT", "DELETE"):
                self.control_file(method, path[len("/_test/files/"):], request["body"])
            elif path == "/_test/faults" and method == "POST":
                kind, params = fault_from_fields(fields)
                ranged = fields.get("ranged")
                rule = {"kind": kind, "params": params, "path": fields.get("path") or "*",
                        "count": parse_int(fields.get("count"), None, 0),
                        "ranged": None if ranged in (None, "") else ranged == "1"}
                rule_id = self.state.add_rule(rule)
                self.send_simple(201, json.dumps({"id": rule_id}), content_type="application/json")
            elif path == "/_test/faults" and method == "DELETE":
                with self.state.lock:
                    self.state.rules = []
                self.send_simple(204, "")
            elif path == "/_test/requests" and method == "GET":
                wanted = fields.get("path")
                with self.state.lock:
                    records = [r for r in self.state.records
                               if wanted is None or r["path"] == wanted]
                    text = json.dumps(records)
                self.send_simple(200, text, content_type="application/json")
            elif path == "/_test/reset" and method == "POST":
                self.state.reset(fields.get("files") == "1")
                self.send_simple(204, "")
            else:
                self.send_simple(404, "unknown control path or method")
        except BadRequest as e:
            self.send_simple(400, str(e))

    def control_file(self, method, name, body):
        if not NAME_RE.match(name) or name in (".", ".."):
            raise BadRequest("bad file name: %r" % name)
        file_path = os.path.join(self.state.root, name)
        if method == "PUT":
            partial = file_path + ".uploading"
            with open(partial, "wb") as f:
                f.write(body)
            os.replace(partial, file_path)
            self.send_simple(201, "stored %d bytes" % len(body))
        elif os.path.isfile(file_path):
            os.remove(file_path)
            self.send_simple(204, "")
        else:
            self.send_simple(404, "no such file")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, port, state):
        super().__init__(("127.0.0.1", port), Handler)
        self.state = state


def main():
    parser = argparse.ArgumentParser(description="Local test HTTP server (127.0.0.1 only)")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--root")
    parser.add_argument("--key", default=DEFAULT_KEY)
    parser.add_argument("--rate", type=int, default=0)
    args = parser.parse_args()

    own_root = args.root is None
    root = tempfile.mkdtemp(prefix="qm-testserver-") if own_root else args.root
    os.makedirs(root, exist_ok=True)

    def stop(signum, frame):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    server = Server(args.port, State(root, args.key, args.rate))
    try:
        print("listening 127.0.0.1:%d" % server.server_address[1], flush=True)
        server.serve_forever(poll_interval=0.2)
    finally:
        server.state.release.set()
        server.server_close()
        if own_root:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
