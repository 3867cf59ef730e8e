# The end-to-end tests' network-time helper:
#   ntp_peer.py query HOST PORT          an independent client: prints the server's offset in ms
#   ntp_peer.py serve HOST PORT N AHEAD  a peer that stays silent for its first N datagrams
#                                        and then answers AHEAD seconds ahead of this machine
import socket, struct, sys, time
E, W = 2208988800, 2**32
def stamp(t): return struct.pack('>II', int(t + E) % W, int((t % 1) * W))
def read(b): s, f = struct.unpack('>II', b); return s + f / W
def diff(a, b): x = (a - b) % W; return x - W if x >= W / 2 else x
cmd, host, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
if cmd == 'query':  # prints the server's offset in ms
    s.settimeout(2)
    t1 = time.time()
    s.sendto(bytes([0x23]) + bytes(39) + stamp(t1), (host, port))
    d, _ = s.recvfrom(512)
    t4 = time.time()
    if len(d) < 48 or d[0] & 7 != 4 or d[24:32] != stamp(t1): sys.exit('bad answer')
    T1, T4 = (t1 + E) % W, (t4 + E) % W
    print(round((diff(read(d[32:40]), T1) + diff(read(d[40:48]), T4)) / 2 * 1000))
else:  # serve IGNORE AHEAD
    ignore, ahead = int(sys.argv[4]), float(sys.argv[5])
    s.bind((host, port))
    print('listening', flush=True)
    n = 0
    while True:
        d, a = s.recvfrom(512)
        n += 1
        print('datagram', n, flush=True)
        if n > ignore and len(d) >= 48:
            t = stamp(time.time() + ahead)
            s.sendto(bytes([0x24, 2, d[2], 0xEC]) + bytes(20) + d[40:48] + t + t, a)
