# The peers of the mail check benchmark, all doing what the mail check does: LIST, then
# "TOP n 1" for every message.
#   python3 peers.py poplib HOST PORT USER PASSWORD      python's poplib, one TOP at a time
#   python3 peers.py pipelined HOST PORT USER PASSWORD   every TOP sent at once, then read
import poplib
import socket
import sys


def with_poplib(host, port, user, password):
    p = poplib.POP3(host, port, timeout=60)
    p.user(user)
    p.pass_(password)
    listing = p.list()[1]
    for line in listing:
        p.top(int(line.split()[0]), 1)
    p.quit()
    return len(listing)


def read_line(f):
    line = f.readline()
    if not line:
        raise EOFError("connection ended")
    return line


def read_listing(f):
    lines = []
    while True:
        line = read_line(f)
        if line == b".\r\n":
            return lines
        lines.append(line)


def pipelined(host, port, user, password):
    s = socket.create_connection((host, port), timeout=60)
    f = s.makefile("rb")
    read_line(f)
    s.sendall(b"USER %s\r\nPASS %s\r\nLIST\r\n" % (user.encode(), password.encode()))
    for _ in range(2):
        if not read_line(f).startswith(b"+OK"):
            raise RuntimeError("refused")
    read_line(f)
    numbers = [line.split()[0] for line in read_listing(f)]
    s.sendall(b"".join(b"TOP %s 1\r\n" % n for n in numbers) + b"QUIT\r\n")
    for _ in numbers:
        if read_line(f).startswith(b"+OK"):
            read_listing(f)
    read_line(f)
    s.close()
    return len(numbers)


if __name__ == "__main__":
    mode, host, port, user, password = sys.argv[1:6]
    run = with_poplib if mode == "poplib" else pipelined
    print(run(host, int(port), user, password))
