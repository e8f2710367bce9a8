import os
import subprocess

import pytest

import testclient
from testclient import Driver

# Inner pytest runs (pytester) start elsewhere: they find the package through an absolute path.
os.environ["PYTHONPATH"] = os.path.dirname(os.path.dirname(os.path.abspath(testclient.__file__)))

pytest_plugins = ["pytester"]

HOST = os.path.abspath(os.environ["TESTCLIENT_HOST"]) if os.environ.get("TESTCLIENT_HOST") else ""
AGENT = os.path.abspath(os.environ["TESTCLIENT_AGENT"]) if os.environ.get("TESTCLIENT_AGENT") else ""
BIN = os.path.abspath(os.environ["TESTCLIENT_BIN"]) if os.environ.get("TESTCLIENT_BIN") else ""
LAUNCHER = os.path.join(BIN, "testclient-run") if BIN else ""


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
        pytest.skip("testclient-run is not built")
    monkeypatch.setenv("TESTCLIENT_RUN", LAUNCHER)
    return LAUNCHER
