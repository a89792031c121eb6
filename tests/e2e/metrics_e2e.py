#!/usr/bin/python3
"""The service's metrics endpoint under Wine, scraped by Debian's Prometheus.

A fresh prefix gets the service with MetricsListen on loopback (set with
QuellmarkAdmin, as the README says); the service counts real traffic
across a veth pair into a network namespace of this test
(198.51.100.0/24). Prometheus, started by the test with its own
configuration and data folder on loopback, scrapes the endpoint every
second; the test asks Prometheus's HTTP API for the veth adapter's sent
bytes and finds the kernel's count of them (since the service started)
within one scrape. It also checks the endpoint's answers to other
requests, and that a port already taken is one line in the activity log
while the service counts on.

Needs root (network namespace) and the prometheus package; exits 77
without root. Everything it starts is ended by process id; the namespace
and the veth pair are removed, also on failure.
"""

import json
import os
import shutil
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import SKIP, check, lacks_root, summary  # noqa: E402
from service_e2e import Wine, end_all, log_lines, message_of  # noqa: E402
from veth_pair import VethPair  # noqa: E402

BUILD = os.environ.get("QM_BUILD_DIR", "")
PROMETHEUS = "/usr/bin/prometheus"
PAIR = VethPair("qp%d" % (os.getpid() % 100000), "198.51.100.217", "198.51.100.218", port=5204)
METRICS_PORT = 19464
PROMETHEUS_PORT = 19490
UPLOAD_BYTES = 1536 * 1024
DOWNLOAD_BYTES = 256 * 1024

def http_get(port, path, timeout=5):
    """Status and body; the endpoint is on loopback only."""
    try:
        with urllib.request.urlopen("http://127.0.0.1:%d%s" % (port, path), timeout=timeout) as r:
            return r.status, r.read().decode("utf-8")
    except urllib.error.HTTPError as e:
        return e.code, e.read().decode("utf-8", "replace")
    except OSError as e:
        return None, str(e)


def raw_request(port, data, timeout=5):
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
        s.sendall(data)
        out = b""
        while True:
            b = s.recv(4096)
            if not b:
                return out.decode("latin-1")
            out += b


def query(expr):
    """The single value of an instant query, or None."""
    status, body = http_get(PROMETHEUS_PORT, "/api/v1/query?query=" + urllib.parse.quote(expr))
    if status != 200:
        return None
    result = json.loads(body)["data"]["result"]
    return float(result[0]["value"][1]) if result else None


def start_prometheus(folder, processes):
    with open(os.path.join(folder, "prometheus.yml"), "w") as f:
        f.write("global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
                "scrape_configs:\n  - job_name: quellmark\n    static_configs:\n"
                "      - targets: ['127.0.0.1:%d']\n" % METRICS_PORT)
    log = open(os.path.join(folder, "prometheus.log"), "wb")
    p = subprocess.Popen([PROMETHEUS, "--config.file=" + os.path.join(folder, "prometheus.yml"),
                          "--storage.tsdb.path=" + os.path.join(folder, "data"),
                          "--web.listen-address=127.0.0.1:%d" % PROMETHEUS_PORT, "--log.level=warn"],
                         stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    processes.append(p)
    end = time.monotonic() + 30
    while time.monotonic() < end:
        if http_get(PROMETHEUS_PORT, "/-/ready", timeout=1)[0] == 200:
            return True
        time.sleep(0.3)
    return False


def main():
    if lacks_root():
        return SKIP
    if len(sys.argv) != 3 or not all(os.path.exists(p) for p in sys.argv[1:]):
        print("usage: metrics_e2e.py QuellmarkService.exe QuellmarkAdmin.exe")
        return 1
    if not os.path.exists(PROMETHEUS):
        print("FAIL the prometheus package is not installed (tools/install-deps.sh installs it)")
        return 1
    service_exe, admin_exe = sys.argv[1:]
    work = os.path.join(BUILD or os.getcwd(), "e2e-metrics")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    wine = Wine(os.path.join(work, "prefix"))
    processes = []
    try:
        wine.boot_fresh()
        folder = wine.drive_c("Quellmark")
        os.makedirs(folder)
        shutil.copy(service_exe, folder)
        shutil.copy(admin_exe, folder)
        admin = r"C:\Quellmark\QuellmarkAdmin.exe"
        log = os.path.join(folder, "quellmarkservice.log")
        wine("reg", "add", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/t", "REG_DWORD", "/d", "1",
             "/f", quiet=True)
        wine(admin, "metrics", "set", "127.0.0.1:%d" % METRICS_PORT, quiet=True)
        PAIR.create()
        _, listing = wine(admin, "adapters", quiet=True)
        adapter_id = next((l.split()[0] for l in listing.splitlines() if l.split()[1:2] == [PAIR.host]), None)
        check(adapter_id is not None, "the veth adapter is listed")
        wine(r"C:\Quellmark\QuellmarkService.exe", "/install", quiet=True)

        # A port someone else holds: one log line, and the service counts on.
        blocker = socket.socket()
        blocker.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        blocker.bind(("127.0.0.1", METRICS_PORT))
        blocker.listen(1)
        wine("sc", "start", "QuellmarkService", quiet=True)
        check(wine.wait_state("RUNNING", 20), "the service runs with its port taken")
        time.sleep(2)
        msgs = [message_of(l) for l in log_lines(log)]
        failed = [m for m in msgs if m and m.startswith("Metrics: cannot listen on 127.0.0.1:%d: " % METRICS_PORT)]
        check(len(failed) == 1 and "already in use" in failed[0] and "Service is running..." in msgs,
              "a taken port is one log line with the reason: %s" % failed)
        wine("sc", "stop", "QuellmarkService", quiet=True)
        check(wine.wait_state("STOPPED", 20), "and it stops as usual")
        blocker.close()

        # The real run: the kernel's count from the service's first reading on.
        mark = len(log_lines(log))
        base = PAIR.counters()
        wine("sc", "start", "QuellmarkService", quiet=True)
        check(wine.wait_state("RUNNING", 20), "the service runs")
        end = time.monotonic() + 20
        while time.monotonic() < end and not any(
                message_of(l) == "Metrics: listening on 127.0.0.1:%d." % METRICS_PORT for l in log_lines(log)[mark:]):
            time.sleep(0.3)
        status, text = http_get(METRICS_PORT, "/metrics")
        check(status == 200 and ('quellmark_sent_bytes_total{kind="300",id="%s",name="%s"} ' % (adapter_id, PAIR.host))
              in text and "# TYPE quellmark_sent_bytes_total counter" in text,
              "GET /metrics has the veth adapter's counter: %s %r" % (status, text[:300]))
        check(http_get(METRICS_PORT, "/")[0] == 404, "any other path is 404")
        check(raw_request(METRICS_PORT, b"NOT HTTP\r\n").startswith("HTTP/1.1 400 "), "a bad request line is 400")

        check(start_prometheus(work, processes), "Prometheus is ready")
        got = PAIR.exchange(UPLOAD_BYTES, DOWNLOAD_BYTES, processes, pieces=2)
        check(got == DOWNLOAD_BYTES, "the traffic crossed the pair")
        sent_kernel = PAIR.counters()[1] - base[1]
        expr = 'quellmark_sent_bytes_total{job="quellmark",id="%s"}' % adapter_id
        # The service's next tick and Prometheus's next scrape: about two
        # seconds; ten at most on a loaded machine.
        end = time.monotonic() + 10
        seen = None
        while time.monotonic() < end:
            seen = query(expr)
            if seen is not None and seen >= sent_kernel:
                break
            time.sleep(0.5)
        # Late acknowledgements may still add a few bytes on both sides.
        sent_now = PAIR.counters()[1] - base[1]
        print("kernel sent %d (%d now) since the service started, Prometheus has %s" % (sent_kernel, sent_now, seen))
        check(seen is not None and sent_kernel >= UPLOAD_BYTES and sent_kernel <= seen <= sent_now,
              "Prometheus has the veth adapter's sent bytes as the kernel counted them")
        check(query('up{job="quellmark"}') == 1, "the target is up")
        check((query('quellmark_service_start_time_seconds{job="quellmark"}') or 0) > time.time() - 600,
              "the start time is a recent one")
        wine("sc", "stop", "QuellmarkService", quiet=True)
        check(wine.wait_state("STOPPED", 20), "the service stops with its endpoint")
        check(http_get(METRICS_PORT, "/metrics", timeout=2)[0] is None, "and the port is closed")
        wine(r"C:\Quellmark\QuellmarkService.exe", "/uninstall", quiet=True)
    finally:
        end_all(wine, processes, PAIR)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
