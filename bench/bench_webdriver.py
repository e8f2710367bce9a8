"""The WebDriver front's cost (run by scripts/bench.sh): what testclient-webdriver adds to
a request of the line protocol, and finding by XPath and the page source in windows of
100, 1,000 and 10,000 widgets (bench_host, offscreen, port 4242).

    python3 bench/bench_webdriver.py BUILD_BIN [ROUNDS]

The overhead is the median (and 95th percentile) of a property read through HTTP
(GET .../element/{id}/property/text, one request 7 to the agent) minus the same request
sent straight on the line by the Python client, each against a fresh host.
"""

import http.client
import json
import os
import re
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
from testclient import Driver  # noqa: E402

PORT = 4242


def percentiles(samples):
    ordered = sorted(samples)
    return ordered[len(ordered) // 2], ordered[int(len(ordered) * 0.95)]


def start_host(bin_dir, widgets):
    env = dict(os.environ, TESTCLIENT_EXTENDED="1",
               QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    host = subprocess.Popen([os.path.join(bin_dir, "bench_host"), "--widgets", str(widgets)],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                            env=env)
    read = host.stdout.readline().split(" ", 2)[2].strip()  # "request read 7,..."
    threading.Thread(target=host.stdout.read, daemon=True).start()
    return host, read


def listening(port):
    """Whether something listens on the loopback port (read from /proc, no connection)."""
    with open("/proc/net/tcp") as table:
        return any(line.split()[1].endswith(":%04X" % port) and line.split()[3] == "0A"
                   for line in table.readlines()[1:])


class Client:
    def __init__(self, url):
        match = re.match(r"http://([^:/]+):(\d+)", url)
        self.http = http.client.HTTPConnection(match.group(1), int(match.group(2)))

    def call(self, method, path, body=None):
        self.http.request(method, path, body=None if body is None else json.dumps(body),
                          headers={"Content-Type": "application/json"})
        answer = self.http.getresponse()
        value = json.loads(answer.read())["value"]
        if answer.status != 200:
            raise RuntimeError("%s %s: %s" % (method, path, value))
        return value


def timed(call, rounds):
    samples = []
    for _ in range(rounds):
        start = time.perf_counter()
        call()
        samples.append((time.perf_counter() - start) * 1000.0)
    return percentiles(samples)


def line_protocol(bin_dir, rounds):
    with Driver(port=PORT) as driver:
        host, read = start_host(bin_dir, 100)
        app = driver.wait_for_app(timeout=30)
        result = timed(lambda: app.connection.request(read), rounds)
        app.close()
        host.wait(30)
    return result


def webdriver_session(client, bin_dir, widgets):
    created = {}
    opening = threading.Thread(target=lambda: created.update(client.call(
        "POST", "/session", {"capabilities": {"alwaysMatch": {"testclient:port": PORT}}})))
    opening.start()
    deadline = time.monotonic() + 30
    while not listening(PORT) and time.monotonic() < deadline:
        time.sleep(0.01)
    host, read = start_host(bin_dir, widgets)
    opening.join()
    return created["sessionId"], host, read


def main():
    bin_dir = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 500
    server = subprocess.Popen([os.path.join(bin_dir, "testclient-webdriver"), "--port", "0"],
                              stdout=subprocess.PIPE, text=True)
    url = re.search(r"http://\S+", server.stdout.readline()).group(0)
    try:
        line_p50, line_p95 = line_protocol(bin_dir, rounds)
        print("WebDriver front, in ms (p50 / p95 of %d rounds):" % rounds)
        print("  property read on the line (7)     %.3f / %.3f" % (line_p50, line_p95))
        for widgets in (100, 1000, 10000):
            client = Client(url)
            sid, host, read = webdriver_session(client, bin_dir, widgets)
            base = "/session/%s" % sid
            fields = read.split(",")
            panel = fields[2].split("/")[-2]
            if widgets == 100:
                element = client.call("POST", base + "/element", {
                    "using": "-testclient selector", "value": fields[2]})
                eid = list(element.values())[0]
                p50, p95 = timed(lambda: client.call(
                    "GET", base + "/element/%s/property/text" % eid), rounds)
                print("  property read over WebDriver      %.3f / %.3f  (overhead %.3f / %.3f)"
                      % (p50, p95, p50 - line_p50, p95 - line_p95))
            few = max(10, rounds // (widgets // 100))
            xpath = "//*[@name='%s']//*[@name='edit']" % panel
            find = timed(lambda: client.call("POST", base + "/element",
                                             {"using": "xpath", "value": xpath}), few)
            source = timed(lambda: client.call("GET", base + "/source"), few)
            print("  %5d widgets: XPath find %.1f / %.1f, page source %.1f / %.1f"
                  % (widgets, find[0], find[1], source[0], source[1]))
            client.call("DELETE", base)
            host.wait(30)
    finally:
        server.terminate()
        server.wait(30)


if __name__ == "__main__":
    main()
