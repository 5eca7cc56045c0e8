#!/usr/bin/env python3
"""Writes the byte files the MD5 test digests: inputs around the 64-byte block
boundary and one of several megabytes, all from a fixed seed so every build digests
the same bytes. Usage: make_md5_fixture.py OUTPUT_DIR"""
import os
import random
import sys

SIZES = [55, 56, 63, 64, 65, 119, 120, 3 * 1024 * 1024 + 17]

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
data = random.Random(1321).randbytes(max(SIZES))
for size in SIZES:
    with open(os.path.join(out, f"bytes_{size}.bin"), "wb") as f:
        f.write(data[:size])
