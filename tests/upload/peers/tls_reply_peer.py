"""A TLS server whose reply has no length and comes in records of its own: the
head, BODY up to its first ":", the rest. Then close_notify, or for a target
under /cut a bare TCP close, as anyone on the path could make it.
usage: tls_reply_peer.py PORT CERT KEY BODY   (prints "ready" once listening)
"""
import socket
import ssl
import sys

context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[2], sys.argv[3])
first, colon, rest = sys.argv[4].encode().partition(b":")
listener = socket.create_server(("127.0.0.1", int(sys.argv[1])))
print("ready", flush=True)
while True:
    connection = listener.accept()[0]
    try:
        with context.wrap_socket(connection, server_side=True) as tls:
            request = b""
            while b"\r\n\r\n" not in request:
                request += tls.recv(65536) or b"\r\n\r\n"
            for record in (b"HTTP/1.0 200 OK\r\n\r\n", first + colon, rest):
                tls.sendall(record)
            if not request.startswith(b"GET /cut"):
                tls.unwrap()  # sends close_notify, then fails on the client's bare close
    except OSError:
        pass
    connection.close()
