"""An SMTP server that takes mail and keeps none of it, for tests and benchmarks that
send very large mails: the text after DATA is counted, not stored.

Usage: smtp_discard.py

Listens on 127.0.0.1 on a free port and prints that port as the first line on stdout.
Answers EHLO (without SIZE), refuses AUTH LOGIN (502), takes NOOP, MAIL, RCPT and DATA;
after each mail it prints "received N" (N: the bytes after DATA, up to and including
the final CR LF "." CR LF) and answers 250. Serves one connection after the other until
it is terminated.
"""

import socket
import sys


def serve(conn):
    conn.sendall(b"220 discard ready\r\n")
    buffer = b""
    while True:
        while b"\r\n" not in buffer:
            chunk = conn.recv(65536)
            if not chunk:
                return
            buffer += chunk
        line, buffer = buffer.split(b"\r\n", 1)
        word = line[:4].upper()
        if word == b"EHLO":
            conn.sendall(b"250-discard\r\n250 8BITMIME\r\n")
        elif word == b"AUTH":
            conn.sendall(b"502 no login here\r\n")
        elif word == b"QUIT":
            conn.sendall(b"221 bye\r\n")
            return
        elif word == b"DATA":
            conn.sendall(b"354 go ahead\r\n")
            count = len(buffer)
            tail = buffer[-5:]
            ended = (b"\r\n" + buffer).endswith(b"\r\n.\r\n")
            buffer = b""
            while not ended:
                chunk = conn.recv(1 << 20)
                if not chunk:
                    return
                count += len(chunk)
                tail = (tail + chunk)[-5:]
                ended = tail.endswith(b"\r\n.\r\n")
            print("received %d" % count, flush=True)
            conn.sendall(b"250 discarded\r\n")
        else:
            conn.sendall(b"250 ok\r\n")


def main():
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(4)
    print(server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        try:
            serve(conn)
        except OSError:
            pass
        finally:
            conn.close()


if __name__ == "__main__":
    sys.exit(main())
