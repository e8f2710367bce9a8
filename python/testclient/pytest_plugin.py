"""pytest plugin: fixtures tc_driver and tc_app, and evidence of failing tests.

Enable with ``-p testclient.pytest_plugin`` (or install the package: its entry point does
it). Options: ``--tc-app "program args"`` (or the ini option ``tc_app``), ``--tc-port``
(default 4242; each pytest-xdist worker adds its index, so parallel workers never share a
port), ``--tc-xvfb`` (a private Xvfb server per worker instead of the offscreen platform),
``--tc-screen WxH`` (the size of either screen, 1920x1080 by default),
``--tc-plain`` (the agent without the extended mode),
``--tc-artifacts DIR`` (where transcripts and screenshots of failing tests go; by default
next to the --junitxml report, else ./tc-artifacts).

Fixtures: tc_app (the --tc-app program), tc_launch (starts any number of programs in one
test), and app_fixture(command) to declare one fixture per program in a conftest.py.

A failing test leaves, for each application it started, its transcript, what it wrote to
standard output and error, and a screenshot of each visible window, taken by the agent
inside the application (so offscreen too); where the agent cannot take them (not in the
extended mode, or gone with its application), the whole Xvfb screen instead.
"""

from __future__ import annotations

import os
import re
import shlex
import subprocess
from typing import Any, Callable, Generator, Iterator, List, Optional, Sequence, Union

import pytest

from . import errors, screenshot
from .app import App
from .driver import Driver


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("testclient", "TestClient agent")
    group.addoption("--tc-app", default=None,
                    help="command line of the application under test")
    group.addoption("--tc-port", type=int, default=None,
                    help="driver port (default 4242, plus the xdist worker's index)")
    group.addoption("--tc-xvfb", action="store_true", default=False,
                    help="run applications on a private Xvfb server instead of offscreen")
    group.addoption("--tc-screen", default="1920x1080",
                    help="size of the offscreen or Xvfb screen, WIDTHxHEIGHT (default 1920x1080)")
    group.addoption("--tc-plain", action="store_true", default=False,
                    help="start the agent without the extended mode")
    group.addoption("--tc-artifacts", default=None,
                    help="folder for transcripts and screenshots of failing tests")
    parser.addini("tc_app", "command line of the application under test", default="")
    parser.addini("tc_port", "driver port", default="4242")


def _worker_index(config: pytest.Config) -> int:
    worker = os.environ.get("PYTEST_XDIST_WORKER", "")
    match = re.match(r"gw(\d+)$", worker)
    return int(match.group(1)) if match else 0


class _Xvfb:
    """A private X server, its display number chosen by the server itself."""

    def __init__(self, screen: str) -> None:
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", screen + "x24", "-nolisten",
             "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start (is the xvfb package installed?)")
        self.display = ":" + number

    def stop(self) -> None:
        self.process.terminate()
        self.process.wait(10)


@pytest.fixture(scope="session")
def tc_xvfb(request: pytest.FixtureRequest) -> Iterator[Optional[_Xvfb]]:
    if not request.config.getoption("--tc-xvfb"):
        yield None
        return
    server = _Xvfb(request.config.getoption("--tc-screen"))
    yield server
    server.stop()


@pytest.fixture(scope="session")
def tc_driver(request: pytest.FixtureRequest) -> Iterator[Driver]:
    config = request.config
    base = config.getoption("--tc-port") or int(config.getini("tc_port") or 4242)
    driver = Driver(port=base + _worker_index(config))
    yield driver
    driver.close()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item: pytest.Item, call: Any) -> Generator[None, Any, None]:
    outcome = yield
    report = outcome.get_result()
    setattr(item, "tc_report_" + report.when, report)


def _artifacts_dir(config: pytest.Config) -> str:
    chosen = config.getoption("--tc-artifacts")
    if not chosen:
        junit = config.getoption("xmlpath", None)
        chosen = os.path.join(os.path.dirname(os.path.abspath(junit)), "tc-artifacts") \
            if junit else os.path.join(str(config.rootpath), "tc-artifacts")
    os.makedirs(chosen, exist_ok=True)
    return chosen


def agent_screenshots(app: App, folder: str, stem: str) -> Optional[List[str]]:
    """Each visible window as the application paints it: stem.png, stem-2.png, ... in the
    order of the window list. None when the agent cannot take them."""
    if not app.extended or app.connection.closed:
        return None
    saved: List[str] = []
    try:
        for number, entry in enumerate(app.window_infos(), 1):
            picture = os.path.join(folder, stem + (".png" if number == 1
                                                   else "-%d.png" % number))
            try:
                saved.append(entry.window.screenshot(picture))
            except errors.AgentLost:
                raise
            except errors.TestClientError:
                pass  # the window closed since the list was read
    except errors.AgentLost:
        return saved or None
    return saved


def save_evidence(item: pytest.Item, app: App, xvfb: Optional[_Xvfb],
                  number: Optional[int] = None) -> List[str]:
    """Writes the failing test's transcript, the application's output and screenshots;
    returns their paths. number tells several applications of one test apart."""
    folder = _artifacts_dir(item.config)
    stem = re.sub(r"[^A-Za-z0-9_.-]+", "_", item.nodeid).strip("_")
    if number is not None:
        stem += "-app%d" % number
    saved: List[str] = []
    transcript = os.path.join(folder, stem + ".transcript.txt")
    with open(transcript, "w", encoding="utf-8") as out:
        out.write("# %s, agent pid %d\n" % (item.nodeid, app.pid))
        for request, reply in app.transcript:
            out.write(">> %s\n%s\n" % (request, reply))
    saved.append(transcript)
    output = app.output()
    if output:
        path = os.path.join(folder, stem + ".output.txt")
        with open(path, "w", encoding="utf-8") as out:
            out.write(output)
        saved.append(path)
    pictures = agent_screenshots(app, folder, stem)
    if pictures is None and xvfb is not None:
        picture = os.path.join(folder, stem + ".png")
        pictures = [picture] if screenshot.grab(xvfb.display, picture) else []
    return saved + (pictures or [])


@pytest.fixture
def tc_launch(request: pytest.FixtureRequest, tc_driver: Driver,
              tc_xvfb: Optional[_Xvfb]) -> Iterator[Callable[..., App]]:
    """Starts applications for one test: tc_launch("program args") or tc_launch([argv],
    **launch options) returns its App. Every application it started is ended after the
    test, and when the test failed each leaves its evidence (transcript, output,
    screenshots)."""
    config = request.config
    apps: List[App] = []

    def launch(command: Union[str, Sequence[str]], **options: Any) -> App:
        argv = shlex.split(command) if isinstance(command, str) else list(command)
        env = dict(options.pop("env", None) or {})
        if tc_xvfb is not None:
            env.update({"DISPLAY": tc_xvfb.display, "QT_QPA_PLATFORM": "xcb"})
        options.setdefault("screen", config.getoption("--tc-screen"))
        options.setdefault("extended", not config.getoption("--tc-plain"))
        app = tc_driver.launch(argv, headless=tc_xvfb is None, env=env, **options)
        apps.append(app)
        return app

    yield launch
    report = getattr(request.node, "tc_report_call", None)
    for number, app in enumerate(apps, 1):
        if report is not None and report.failed:
            for path in save_evidence(request.node, app, tc_xvfb,
                                      number if len(apps) > 1 else None):
                request.node.add_report_section("teardown", "testclient", "saved " + path)
        app.close()


def app_fixture(command: Union[str, Sequence[str]], name: Optional[str] = None,
                **options: Any) -> Any:
    """A fixture that starts `command` afresh for each test that asks for it, for a
    conftest.py that tests several programs:

        calculator = app_fixture("/path/to/calculator")
        editor = app_fixture(["juffed"], screen="1280x800")

    A test that takes both gets both, each with its own agent on the session's port."""

    @pytest.fixture(name=name)
    def fixture(tc_launch: Callable[..., App]) -> App:
        return tc_launch(command, **options)

    return fixture


@pytest.fixture
def tc_app(request: pytest.FixtureRequest, tc_launch: Callable[..., App]) -> App:
    """The application of --tc-app (or the ini option tc_app), started afresh for each test
    with the agent attached."""
    config = request.config
    command = config.getoption("--tc-app") or config.getini("tc_app")
    if not command:
        pytest.fail("no application: give --tc-app or the ini option tc_app")
    return tc_launch(command)
