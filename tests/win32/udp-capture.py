#!/usr/bin/env python3
"""Writes every UDP datagram that reaches one loopback address and port to a text file,
one line each: the kernel's receive stamp in nanoseconds, a space, the bytes in hex.

On loopback the kernel stamps a datagram while the sender's call is still running, so
the gaps between stamps are the sender's gaps, whatever delays this process has.
The file appears once the socket is bound. Ends on SIGTERM or SIGINT.

Usage: udp-capture.py ADDRESS PORT FILE
"""
import signal
import socket
import struct
import sys

SO_TIMESTAMPNS = getattr(socket, "SO_TIMESTAMPNS", 35)


def main() -> None:
    address, port, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    if not address.startswith("127."):
        sys.exit("udp-capture: loopback addresses only")
    receiver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    receiver.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
    receiver.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 * 1024 * 1024)
    receiver.bind((address, port))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    signal.signal(signal.SIGINT, lambda *_: sys.exit(0))
    with open(path, "w", encoding="ascii") as out:
        out.flush()
        while True:
            data, ancillary, _, _ = receiver.recvmsg(65536, socket.CMSG_SPACE(16))
            stamp = 0
            for level, kind, value in ancillary:
                if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS:
                    seconds, nanoseconds = struct.unpack("qq", value[:16])
                    stamp = seconds * 1_000_000_000 + nanoseconds
            out.write(f"{stamp} {data.hex()}\n")
            out.flush()


if __name__ == "__main__":
    main()
