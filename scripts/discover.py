#!/usr/bin/env python3
"""A discovery run by hand: broadcasts the ping and prints every station's unit text for 3 seconds.

Run it only inside the private test network (tests/netns-run --shell): it broadcasts on the given address.
  scripts/discover.py [BROADCAST]   (default: $VMFWUPD_BROADCAST)
"""
import os
import socket
import sys

broadcast = sys.argv[1] if len(sys.argv) > 1 else os.environ.get("VMFWUPD_BROADCAST")
if not broadcast:
    sys.exit("discover.py: no broadcast address; run it inside tests/netns-run")

s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("", 23456))
s.sendto(b"DECT ULE Discovery Ping", (broadcast, 23456))
s.settimeout(3)
try:
    while True:
        data, sender = s.recvfrom(2048)
        if b"DECT ULE Discovery Ack:" in data:
            print(sender[0], data[55:].split(b"\0")[0].decode("utf-8", "replace"))
except socket.timeout:
    pass
