# A listener that never accepts, its backlog filled, so that a further
# connect is neither accepted nor refused: an address that never answers.
#   python3 silent-listener.py ADDRESS PORT   (prints "ready", then waits)
import socket
import sys
import time

address, port = sys.argv[1], int(sys.argv[2])
family = socket.AF_INET6 if ":" in address else socket.AF_INET
listener = socket.socket(family)
listener.bind((address, port))
listener.listen(0)
fillers = [socket.socket(family) for _ in range(4)]
for filler in fillers:
    filler.setblocking(False)
    filler.connect_ex((address, port))
print("ready", flush=True)
time.sleep(3600)
