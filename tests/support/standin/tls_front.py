#!/usr/bin/env python3
"""TLS in front of the stand-in service, for its HTTPS answers.

Wine's secure channel cannot be a TLS server, so the stand-in (a Windows program) starts this native program.
It listens on 127.0.0.1, tells the stand-in its port over the control connection, and passes each decrypted
connection on to the stand-in's plain port. A connection goes on only once the client has sent something through
the TLS channel: a client that rejects the certificate never reaches the stand-in. It ends when the control
connection closes (the stand-in stopped or died).

tls_front.py CERT KEY BACKEND_PORT CONTROL_PORT
"""
import os
import socket
import ssl
import sys
import threading


def pump(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass


def serve(conn, context, backend_port):
    tls = backend = None
    try:
        tls = context.wrap_socket(conn, server_side=True)
        first = tls.recv(65536)
        if not first:
            return
        backend = socket.create_connection(("127.0.0.1", backend_port))
        backend.sendall(first)
        threading.Thread(target=pump, args=(tls, backend), daemon=True).start()
        pump(backend, tls)
    except (ssl.SSLError, OSError):
        pass
    finally:
        for s in (tls, backend, conn):
            try:
                if s is not None:
                    s.close()
            except OSError:
                pass


def wait_until_served(backend_port):
    """One small request of our own, answered, before any client's connection is taken: the stand-in starts
    accepting only after this helper has started, so a client's first request never waits on that."""
    for _ in range(20):
        try:
            with socket.create_connection(("127.0.0.1", backend_port), timeout=2) as probe:
                probe.sendall(b"GET /tls-front-ready HTTP/1.0\r\n\r\n")
                if probe.recv(64):
                    return
        except OSError:
            pass


def main():
    cert, key, backend_port, control_port = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    control = socket.create_connection(("127.0.0.1", control_port))
    control.sendall(b"%d\n" % listener.getsockname()[1])
    wait_until_served(backend_port)

    def watch():
        try:
            control.recv(1)
        finally:
            os._exit(0)

    threading.Thread(target=watch, daemon=True).start()
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, context, backend_port), daemon=True).start()


if __name__ == "__main__":
    main()
