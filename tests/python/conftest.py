import os
import shutil
import subprocess

import pytest

import testclient
from testclient import Driver

# Inner pytest runs (pytester) start elsewhere: they find the package through an absolute path,
# and the pytest plug-in through the package's entry point, as an installed one is found.
os.environ["PYTHONPATH"] = os.pathsep.join(
    [os.path.dirname(os.path.dirname(os.path.abspath(testclient.__file__)))]
    + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p])

pytest_plugins = ["pytester"]

HOST = os.path.abspath(os.environ["TESTCLIENT_HOST"]) if os.environ.get("TESTCLIENT_HOST") else ""
AGENT = os.path.abspath(os.environ["TESTCLIENT_AGENT"]) if os.environ.get("TESTCLIENT_AGENT") else ""
# The build's commands when ctest names them, else the installed ones on PATH, which the
# client finds by itself.
BUILD_BIN = os.environ.get("TESTCLIENT_BIN", "")
BIN = os.path.abspath(BUILD_BIN) if BUILD_BIN else os.path.dirname(
    os.path.realpath(shutil.which("testclient-run") or "/nonexistent/testclient-run"))
LAUNCHER = os.path.join(BIN, "testclient-run")
# The Qt the agent was built against (ctest passes it): it only attaches to programs of the same Qt.
QT_MAJOR = int(os.environ.get("TESTCLIENT_QT_MAJOR", "5"))


def need_qt5_examples(*programs):
    """Skips the test unless the agent can attach to these Qt example programs: Debian 12
    packages Qt's examples for Qt 5 only (qtbase5-examples), and a Qt 6 agent cannot load
    into a Qt 5 program."""
    if QT_MAJOR != 5:
        pytest.skip("Qt's example programs are Qt 5 programs (qtbase5-examples); "
                    "a Qt %d agent cannot load into them" % QT_MAJOR)
    if not all(os.path.exists(p) for p in programs):
        pytest.skip("qtbase5-examples is not installed")


@pytest.fixture
def driver():
    with Driver(port=4242, timeout=20) as d:
        yield d


@pytest.fixture
def gallery(driver):
    """The gallery host runner, which creates the agent through its host entry point."""
    if not (HOST and AGENT):
        pytest.skip("TESTCLIENT_HOST and TESTCLIENT_AGENT name the built host and agent")
    env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    host = subprocess.Popen([HOST, "--agent", AGENT], env=env, stderr=subprocess.DEVNULL)
    try:
        app = driver.wait_for_app(pid=host.pid, timeout=20)
        app.host = host
        yield app
    finally:
        host.terminate()
        host.wait(10)


@pytest.fixture
def launcher(monkeypatch):
    if not os.path.exists(LAUNCHER):
        pytest.skip("testclient-run is neither built nor on PATH")
    if BUILD_BIN:
        monkeypatch.setenv("TESTCLIENT_RUN", LAUNCHER)
    return LAUNCHER
