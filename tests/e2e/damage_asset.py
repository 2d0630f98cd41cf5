"""Writes a damaged copy of an asset for the hostile-resource builds:
truncate keeps the first half, corrupt overwrites the first 16 bytes."""

import sys

source, target, mode = sys.argv[1:4]
with open(source, "rb") as f:
    data = f.read()
if mode == "truncate":
    data = data[:len(data) // 2]
elif mode == "corrupt":
    data = b"\x5a" * 16 + data[16:]
else:
    sys.exit("mode must be truncate or corrupt")
with open(target, "wb") as f:
    f.write(data)
