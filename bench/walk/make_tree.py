#!/usr/bin/env python3
"""Generates the walk benchmark's tree: DIRS directories (a hundredth of them
at the top, the rest one level below), FILES files spread evenly, every tenth
file listed on stdout (NUL-separated) for compression."""
import os
import sys

root, dirs, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
top = max(1, dirs // 100)
directories = []
for t in range(top):
    parent = os.path.join(root, f"d{t:03}")
    os.mkdir(parent)
    directories.append(parent)
for i in range(dirs - top):
    child = os.path.join(directories[i % top], f"s{i:05}")
    os.mkdir(child)
    directories.append(child)
payload = b"ravelin benchmark payload\n" * 4
out = sys.stdout.buffer
for i in range(files):
    path = os.path.join(directories[i % len(directories)], f"f{i:06}.txt")
    with open(path, "wb") as f:
        f.write(payload)
    if i % 10 == 0:
        out.write(path.encode() + b"\0")
