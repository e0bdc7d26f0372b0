#!/usr/bin/env python3
"""A resolver on loopback that answers every query at once with "no such
name", as a LAN resolver does for addresses it has no names for."""
import socket
import sys

addr = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.53"
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind((addr, 53))
while True:
    q, peer = s.recvfrom(512)
    if len(q) < 12:
        continue
    # Same id and question; response, recursion available, NXDOMAIN.
    flags = 0x8000 | (q[2] & 0x01) << 8 | 0x0080 | 3
    s.sendto(q[:2] + flags.to_bytes(2, "big") + q[4:6] + b"\0\0\0\0\0\0" + q[12:], peer)
