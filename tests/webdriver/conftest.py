import os
import re
import shutil
import subprocess

import pytest

# The build's commands when ctest names them, else the installed ones on PATH.
BIN = os.environ.get("TESTCLIENT_BIN") or os.path.dirname(
    os.path.realpath(shutil.which("testclient-webdriver") or "/nonexistent/x"))
SERVER = os.path.join(BIN, "testclient-webdriver")
EXAMPLES = "/usr/lib/x86_64-linux-gnu/qt5/examples/widgets"
BOOK = EXAMPLES + "/tutorials/addressbook/part2/part2"
SPEEDCRUNCH = "/usr/bin/speedcrunch"


def need(*programs):
    if int(os.environ.get("TESTCLIENT_QT_MAJOR", "5")) != 5:
        pytest.skip("Qt's examples and SpeedCrunch are Qt 5 programs")
    for program in programs:
        if not os.path.exists(program):
            pytest.skip("%s is not installed" % program)


def start_server(*options):
    """testclient-webdriver on a free port; its URL once it listens."""
    if not os.path.exists(SERVER):
        pytest.skip("testclient-webdriver is neither built nor installed")
    process = subprocess.Popen([SERVER, "--port", "0", *options], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, text=True)
    line = process.stdout.readline()
    match = re.search(r"(http://\S+)", line)
    if match is None:
        process.kill()
        raise AssertionError("the server did not start: %s%s" % (line, process.stdout.read()))
    return process, match.group(1)


@pytest.fixture(scope="session")
def server_url():
    process, url = start_server()
    yield url
    process.terminate()
    process.wait(20)


@pytest.fixture(scope="session")
def node_modules():
    """The npm packages of package-lock.json, as `npm ci` installed them (ctest's fixture
    webdriver_npm installs them into the build folder)."""
    folder = os.environ.get("TESTCLIENT_NODE_MODULES") or os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "node_modules")
    if not shutil.which("node"):
        pytest.skip("Node.js is not installed (Debian package nodejs)")
    if not os.path.isdir(os.path.join(folder, "webdriverio")):
        pytest.skip("no npm packages in %s: npm ci there (npm absent, or offline?)" % folder)
    return folder
