"""A loopback relay that keeps what clients send: each connection to
LISTEN_PORT is passed on to TARGET_PORT both ways, and the client's bytes are
written to OUTDIR/N.request (N counts from 1). Runs until killed.
usage: record_relay.py LISTEN_PORT TARGET_PORT OUTDIR   (prints "ready" once listening)
"""
import os
import socket
import sys
import threading


def pump(source, sink, keep=None):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            if keep is not None:
                keep.write(data)
                keep.flush()
            sink.sendall(data)
    except OSError:
        pass
    finally:
        try:
            sink.shutdown(socket.SHUT_WR)
        except OSError:
            pass


def serve(client, target, path):
    with client, socket.create_connection(("127.0.0.1", target)) as upstream, open(path, "wb") as keep:
        back = threading.Thread(target=pump, args=(upstream, client))
        back.start()
        pump(client, upstream, keep)
        back.join()


def main():
    listen_port, target, outdir = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", listen_port))
    listener.listen(16)
    print("ready", flush=True)
    count = 0
    while True:
        client, _ = listener.accept()
        count += 1
        path = os.path.join(outdir, f"{count}.request")
        threading.Thread(target=serve, args=(client, target, path), daemon=True).start()


main()
