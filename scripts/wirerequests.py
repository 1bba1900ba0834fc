#!/usr/bin/env python3
"""Prints the HTTP requests that a packet capture (tcpdump -w, Ethernet, IPv4) holds, as the station received them.

    wirerequests.py CAPTURE.pcap

Each TCP connection that the capture saw open (its first SYN) is put together from its segments in sequence order, and each request on
it is printed on one line as its exact bytes (Python escapes), in the order their first bytes arrived. The "rand"
value of a URL becomes "rand=R", and the file inside a multipart body becomes "<N bytes, sha256 ...>", so that two
runs compare line by line; everything else stays byte for byte: request line, headers and their order, framing.
"""
import hashlib
import re
import struct
import sys


def segments(path):
    with open(path, "rb") as f:
        data = f.read()
    magic = struct.unpack_from("<I", data, 0)[0]
    endian = {0xA1B2C3D4: "<", 0xD4C3B2A1: ">"}.get(magic)
    if endian is None:
        sys.exit(f"wirerequests: {path} is no pcap file (nanosecond or pcapng captures are not read)")
    if struct.unpack_from(endian + "I", data, 20)[0] != 1:
        sys.exit(f"wirerequests: {path} is not an Ethernet capture")
    at = 24
    while at + 16 <= len(data):
        seconds, micros, caplen, _ = struct.unpack_from(endian + "IIII", data, at)
        frame = data[at + 16:at + 16 + caplen]
        at += 16 + caplen
        if len(frame) < 34 or frame[12:14] != b"\x08\x00":
            continue
        ip = frame[14:]
        ihl = (ip[0] & 0x0F) * 4
        if ip[9] != 6:
            continue
        total = struct.unpack_from(">H", ip, 2)[0]
        tcp = ip[ihl:total]
        sport, dport, seq = struct.unpack_from(">HHI", tcp, 0)
        yield (ip[12:16], sport, ip[16:20], dport), seq, tcp[13], tcp[(tcp[12] >> 4) * 4:], seconds + micros / 1e6


def streams(path):
    """Client-to-station bytes of each connection, with the arrival time of each of its bytes' segments."""
    order, start, pieces = [], {}, {}
    for conn, seq, flags, payload, when in segments(path):
        if flags & 0x12 == 0x02:  # SYN without ACK: a client opens a connection
            if conn in start:
                order.append((conn, start.pop(conn), pieces.pop(conn)))
            start[conn] = seq + 1
            pieces[conn] = {}
        elif payload and conn in start:
            pieces[conn].setdefault(seq, (payload, when))  # a retransmission repeats what is there
    order.extend((conn, start[conn], pieces[conn]) for conn in start)
    for conn, first, parts in order:
        out, times, expected = bytearray(), [], first
        for seq in sorted(parts, key=lambda s: (s - first) & 0xFFFFFFFF):
            chunk, when = parts[seq]
            skip = (expected - seq) & 0xFFFFFFFF
            if skip < len(chunk):
                times.append((len(out), when))
                out += chunk[skip:]
                expected = (seq + len(chunk)) & 0xFFFFFFFF
        yield bytes(out), times


def arrival(times, offset):
    """When the segment holding byte `offset` of a stream arrived."""
    return max((when for start, when in times if start <= offset), default=0.0)


def requests(stream):
    """(offset, head, body) of each request on one connection."""
    at = 0
    while at < len(stream):
        end = stream.find(b"\r\n\r\n", at)
        if end < 0:
            yield at, stream[at:], b""
            return
        head = stream[at:end + 4]
        length = re.search(rb"\r\ncontent-length: *(\d+)", head, re.I)
        size = int(length.group(1)) if length else 0
        yield at, head, stream[end + 4:end + 4 + size]
        at = end + 4 + size


def normalised(head, body):
    head = re.sub(rb"([?&]rand=)\d+", rb"\1R", head)
    boundary = re.search(rb"boundary=([^\r\n;]+)", head)
    if body and boundary:
        delimiter = b"\r\n--" + boundary.group(1)
        content = body.find(b"\r\n\r\n") + 4
        close = body.rfind(delimiter)
        if 4 <= content <= close:
            file = body[content:close]
            body = (body[:content] + b"<%d bytes, sha256 %s>" % (len(file), hashlib.sha256(file).hexdigest()[:16].encode())
                    + body[close:])
    elif body:
        body = b"<%d bytes>" % len(body)
    return repr(head + body)[2:-1]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    found = []
    for stream, times in streams(sys.argv[1]):
        for offset, head, body in requests(stream):
            found.append((arrival(times, offset), normalised(head, body)))
    for _, line in sorted(found, key=lambda entry: entry[0]):
        print(line)


if __name__ == "__main__":
    main()
