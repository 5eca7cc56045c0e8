#!/usr/bin/env python3
"""The local test server itself: ranges, faults, records, the report signature check and
the control paths, over real sockets on 127.0.0.1."""

import base64
import hashlib
import http.client
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "..", "..", "tools", "testserver", "server.py")
KEY = "test-key"
TIMEOUT = 10


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.TemporaryDirectory()
        cls.server = subprocess.Popen(
            [sys.executable, SERVER, "--root", cls.root.name, "--key", KEY],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        line = cls.server.stdout.readline().decode()
        assert line.startswith("listening 127.0.0.1:"), line
        cls.port = int(line.strip().rsplit(":", 1)[1])

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait(TIMEOUT)
        cls.server.stdout.close()
        cls.root.cleanup()

    def setUp(self):
        self.assertEqual(self.call("POST", "/_test/reset?files=1")[0], 204)

    def call(self, method, target, body=None, headers=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=TIMEOUT)
        try:
            connection.request(method, target, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def raw(self, request):
        """Sends raw bytes; returns everything received until the server closes."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=TIMEOUT) as s:
            s.sendall(request)
            data = b""
            try:
                while True:
                    block = s.recv(65536)
                    if not block:
                        return data, "closed"
                    data += block
            except ConnectionResetError:
                return data, "reset"

    def put(self, name, data):
        self.assertEqual(self.call("PUT", "/_test/files/" + name, data)[0], 201)

    def records(self, path=None):
        status, _, body = self.call("GET", "/_test/requests" + ("?path=" + path if path else ""))
        self.assertEqual(status, 200)
        return json.loads(body)

    def test_ranges(self):
        data = bytes(range(256)) * 4
        self.put("f.bin", data)
        cases = [
            # Range header, status, Content-Range, body
            (None, 200, None, data),
            ("bytes=10-19", 206, "bytes 10-19/1024", data[10:20]),
            ("bytes=1000-", 206, "bytes 1000-1023/1024", data[1000:]),
            ("bytes=-4", 206, "bytes 1020-1023/1024", data[1020:]),
            ("bytes=1020-5000", 206, "bytes 1020-1023/1024", data[1020:]),
            ("bytes=1024-", 416, "bytes */1024", b""),
            ("bytes=5-4", 200, None, data),
            ("bytes=0-1,5-6", 200, None, data),
            ("items=0-1", 200, None, data),
        ]
        for range_header, status, content_range, body in cases:
            with self.subTest(range=range_header):
                headers = {"Range": range_header} if range_header else {}
                got_status, got_headers, got_body = self.call("GET", "/f.bin", headers=headers)
                self.assertEqual(got_status, status)
                self.assertEqual(got_headers.get("Content-Range"), content_range)
                self.assertEqual(got_body, body)
                if status != 416:
                    self.assertEqual(got_headers["Accept-Ranges"], "bytes")
        status, headers, body = self.call("HEAD", "/f.bin")
        self.assertEqual((status, headers["Content-Length"], body), (200, "1024", b""))
        self.assertEqual(self.call("GET", "/none.bin")[0], 404)

    def test_body_faults(self):
        data = os.urandom(1000)
        self.put("f.bin", data)
        head, _, body = self.raw(b"GET /f.bin?fault=short&bytes=10 HTTP/1.1\r\n\r\n")[0].partition(
            b"\r\n\r\n")
        self.assertIn(b"Content-Length: 1000", head)
        self.assertEqual(body, data[:10])
        received, how = self.raw(b"GET /f.bin?fault=reset&bytes=100 HTTP/1.1\r\n\r\n")
        self.assertEqual(how, "reset")
        received, how = self.raw(b"GET /f.bin?fault=ignore_range HTTP/1.1\r\nRange: bytes=0-9\r\n"
                                 b"Connection: close\r\n\r\n")
        self.assertTrue(received.startswith(b"HTTP/1.1 200 OK"))
        self.assertTrue(received.endswith(data))
        status, headers, body = self.call("GET", "/f.bin?fault=wrong_range&shift=3",
                                          headers={"Range": "bytes=0-9"})
        self.assertEqual((status, headers["Content-Range"], body),
                         (206, "bytes 3-12/1000", data[3:13]))
        head, _, body = self.raw(b"GET /f.bin?fault=length&length=3000000000 HTTP/1.1\r\n\r\n")[
            0].partition(b"\r\n\r\n")
        self.assertIn(b"Content-Length: 3000000000", head)
        self.assertEqual(body, b"")
        self.assertEqual(self.call("GET", "/f.bin?fault=status&code=503")[0], 503)
        self.assertEqual(self.call("GET", "/f.bin?fault=nonsense")[0], 400)

    def test_rules_count_and_ranged_filter(self):
        self.put("f.bin", b"x" * 100)
        status, _, body = self.call("POST", "/_test/faults?kind=404&path=/f.bin&count=2&ranged=1")
        self.assertEqual(status, 201)
        self.assertIn("id", json.loads(body))
        self.assertEqual(self.call("GET", "/f.bin")[0], 200)
        ranged = {"Range": "bytes=0-1"}
        self.assertEqual([self.call("GET", "/f.bin", headers=ranged)[0] for _ in range(3)],
                         [404, 404, 206])
        self.assertEqual(self.call("POST", "/_test/faults?kind=404")[0], 201)
        self.assertEqual(self.call("GET", "/f.bin")[0], 404)
        self.assertEqual(self.call("DELETE", "/_test/faults")[0], 204)
        self.assertEqual(self.call("GET", "/f.bin")[0], 200)
        self.assertEqual(self.call("POST", "/_test/faults?kind=rate")[0], 400)

    def test_stalls_end_at_reset(self):
        self.put("f.bin", b"x" * 100)
        with socket.create_connection(("127.0.0.1", self.port), timeout=TIMEOUT) as s:
            s.sendall(b"GET /f.bin?fault=hang&seconds=300 HTTP/1.1\r\n\r\n")
            time.sleep(0.2)
            started = time.monotonic()
            self.assertEqual(self.call("POST", "/_test/reset")[0], 204)
            self.assertEqual(s.recv(100), b"")
            self.assertLess(time.monotonic() - started, TIMEOUT)

    def test_records_keep_arrival_order_and_exact_bytes(self):
        body = b"{\"a\":\"\xc3\xa9\"}\x00\xff"
        request = (b"POST /mp/collect?measurement_id=G&api_secret=s HTTP/1.1\r\n"
                   b"User-Agent: ua\r\nAccept: */*\r\nX-Odd:  spaced \r\n"
                   b"Content-Length: " + str(len(body)).encode() + b"\r\n"
                   b"Connection: close\r\n\r\n" + body)
        received, _ = self.raw(request)
        self.assertTrue(received.startswith(b"HTTP/1.1 204"))
        [record] = self.records("/mp/collect")
        self.assertEqual(record["request_line"],
                         "POST /mp/collect?measurement_id=G&api_secret=s HTTP/1.1")
        self.assertEqual(record["query"], "measurement_id=G&api_secret=s")
        self.assertEqual(record["headers"], [["User-Agent", "ua"], ["Accept", "*/*"],
                                             ["X-Odd", "spaced"],
                                             ["Content-Length", str(len(body))],
                                             ["Connection", "close"]])
        self.assertEqual(record["head"], request[:request.index(b"\r\n\r\n") + 2].decode("latin-1"))
        self.assertEqual(record["body_length"], len(body))
        self.assertEqual(base64.b64decode(record["body_base64"]), body)
        self.assertNotIn("signature_ok", record)

    def test_report_signature_is_checked_over_the_exact_body(self):
        body = "{\n\t\"action\" : \"install\"\n}\n"
        timestamp = "1700000000"
        sign = hashlib.md5((KEY + "timestamp" + timestamp + body + KEY).encode()).hexdigest()
        cases = [
            (sign, timestamp, body, 200, True),
            (sign, timestamp, body.replace("install", "instal1"), 403, False),
            (sign, "1700000001", body, 403, False),
            (sign.upper(), timestamp, body, 403, False),
            ("", "", body, 403, False),
        ]
        for given_sign, given_time, given_body, status, ok in cases:
            with self.subTest(sign=given_sign, timestamp=given_time, body=given_body):
                self.call("POST", "/_test/reset")
                target = "/log/v1/api/report?sign=%s&timestamp=%s" % (given_sign, given_time)
                got_status, _, answer = self.call("POST", target, given_body.encode())
                self.assertEqual(got_status, status)
                self.assertEqual(json.loads(answer)["code"], 0 if ok else 403)
                [record] = self.records("/log/v1/api/report")
                self.assertIs(record["signature_ok"], ok)
                self.assertEqual(record["body"], given_body)

    def test_control_paths_refuse_bad_input(self):
        self.assertEqual(self.call("PUT", "/_test/files/..", b"x")[0], 400)
        self.assertEqual(self.call("PUT", "/_test/files/a%2Fb", b"x")[0], 400)
        self.assertEqual(self.call("DELETE", "/_test/files/none")[0], 404)
        self.assertEqual(self.call("GET", "/_test/unknown")[0], 404)
        self.put("gone.bin", b"x")
        self.assertEqual(self.call("DELETE", "/_test/files/gone.bin")[0], 204)
        self.assertEqual(self.call("GET", "/gone.bin")[0], 404)
        received, how = self.raw(b"\x16\x03\x01\x00\x05hello")
        self.assertTrue(received.startswith(b"HTTP/1.1 400"))
        # Control requests and refused input leave no record.
        self.assertEqual([r["path"] for r in self.records()], ["/gone.bin"])


if __name__ == "__main__":
    unittest.main()
