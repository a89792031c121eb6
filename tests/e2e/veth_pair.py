"""A veth pair into a network namespace that a test makes for itself, and
bounded traffic across it (198.51.100.0/24 only).

    pair = VethPair("qm123", "198.51.100.201", "198.51.100.202", port=5201)
    pair.create()
    got = pair.exchange(upload, download, processes)   # bytes received back
    pair.remove()                                       # also after a failure
"""
import socket
import subprocess
import time

# The namespace's side: takes `upload` bytes, then sends `download` bytes in
# `pieces` parts a little apart (so that several one-second ticks see it).
SINK = r"""
import socket, sys, time
upload, download, pieces, port = map(int, sys.argv[1:5])
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((sys.argv[5], port)); s.listen(1); s.settimeout(30)
c, _ = s.accept(); c.settimeout(30)
got, end = 0, time.monotonic() + 30
while got < upload and time.monotonic() < end:
    b = c.recv(65536)
    if not b: break
    got += len(b)
for i in range(pieces):
    c.sendall(b"x" * (download // pieces + (download % pieces if i == 0 else 0)))
    if i + 1 < pieces: time.sleep(0.4)
c.shutdown(socket.SHUT_WR)
c.recv(1)
c.close()
"""


def _run(args, check=True):
    r = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    if check and r.returncode != 0:
        raise RuntimeError("%s: %s" % (" ".join(args), r.stderr.decode(errors="replace").strip()))


class VethPair:
    def __init__(self, tag, host_ip, peer_ip, prefix_len=30, port=5201):
        self.netns, self.host, self.peer = tag + "ns", tag + "a", tag + "b"
        self.host_ip, self.peer_ip, self.prefix_len, self.port = host_ip, peer_ip, prefix_len, port

    def create(self):
        ns = ["ip", "netns", "exec", self.netns]
        _run(["ip", "netns", "add", self.netns])
        _run(["ip", "link", "add", self.host, "type", "veth", "peer", "name", self.peer])
        _run(["ip", "link", "set", self.peer, "netns", self.netns])
        # No IPv6 on the pair: its router and neighbour messages would be
        # traffic the test did not make.
        no_ipv6 = "open('/proc/sys/net/ipv6/conf/%s/disable_ipv6', 'w').write('1')"
        _run(["/usr/bin/python3", "-c", no_ipv6 % self.host], check=False)
        _run(ns + ["/usr/bin/python3", "-c", no_ipv6 % "all"], check=False)
        _run(["ip", "addr", "add", "%s/%d" % (self.host_ip, self.prefix_len), "dev", self.host])
        _run(["ip", "link", "set", self.host, "up"])
        _run(ns + ["ip", "addr", "add", "%s/%d" % (self.peer_ip, self.prefix_len), "dev", self.peer])
        _run(ns + ["ip", "link", "set", self.peer, "up"])
        _run(ns + ["ip", "link", "set", "lo", "up"])

    def remove(self):
        _run(["ip", "link", "del", self.host], check=False)
        _run(["ip", "netns", "del", self.netns], check=False)

    def ifindex(self):
        with open("/sys/class/net/%s/ifindex" % self.host) as f:
            return int(f.read())

    def counters(self):
        """Bytes received and sent by the host's end."""
        base = "/sys/class/net/%s/statistics/" % self.host
        with open(base + "rx_bytes") as rx, open(base + "tx_bytes") as tx:
            return int(rx.read()), int(tx.read())

    def exchange(self, upload, download, processes, pieces=1):
        """One bounded TCP exchange: `upload` bytes out, `download` bytes back.
        The sink process is added to `processes` (the caller ends it)."""
        sink = subprocess.Popen(["ip", "netns", "exec", self.netns, "/usr/bin/python3", "-c", SINK,
                                 str(upload), str(download), str(pieces), str(self.port), self.peer_ip],
                                stdin=subprocess.DEVNULL)
        processes.append(sink)
        s = None
        for _ in range(50):
            try:
                s = socket.create_connection((self.peer_ip, self.port), timeout=5)
                break
            except OSError:
                time.sleep(0.1)
        if s is None:
            raise RuntimeError("cannot reach the namespace")
        s.settimeout(30)
        s.sendall(b"u" * upload)
        got, end = 0, time.monotonic() + 30
        while got < download and time.monotonic() < end:
            b = s.recv(65536)
            if not b:
                break
            got += len(b)
        s.close()
        sink.wait(timeout=30)
        return got
