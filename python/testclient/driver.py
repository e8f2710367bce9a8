"""The test driver's side: a listening socket that agents connect to."""

from __future__ import annotations

import math
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
from typing import Any, Dict, List, Mapping, Optional, Sequence, Tuple

from . import errors
from .app import App

GREETING_PREFIX = b"+client+ "


def parse_greeting(greeting: str) -> Dict[str, Any]:
    """The App fields of "+client+ 2.1.0 <pid> <hookVersion> <wrapperVariant> [extended]".

    Words after the variant name modes of the agent; ones this client does not know are
    ignored, so a newer agent still greets an older client.
    """
    fields = greeting.split()
    try:
        return {"pid": int(fields[2]), "hook_version": int(fields[3]),
                "variant": fields[4] if len(fields) > 4 else "",
                "extended": "extended" in fields[5:]}
    except (IndexError, ValueError):
        raise errors.ProtocolError("malformed greeting %r" % greeting) from None


def reply_allowance(length: int) -> float:
    """Seconds a request line of ``length`` characters adds to its reply's deadline.

    A long line carries a text to type (two hex digits a character), and a text widget lays
    out its whole text again for every key it takes, so typing costs the square of the
    text's length: 0.25 s for every (1,000 characters) squared, about three times what a
    QTextEdit takes on a busy machine (10,000 characters: 25 s more). The C++ driver
    gives the same (AgentConnection::replyAllowanceMs).
    """
    return min(0.25 * (length / 2000.0) ** 2, 3600.0)


class Connection:
    """One agent's connection: its greeting, then strictly alternating request and reply.

    Every request and reply is kept in ``transcript`` (a list of (request, reply) text
    pairs), which the pytest plugin saves when a test fails.
    """

    def __init__(self, sock: socket.socket, timeout: float) -> None:
        self.sock = sock
        self.timeout = timeout
        self.buffer = b""
        self.transcript: List[Tuple[str, str]] = []
        self.greeting: Optional[str] = None
        self.closed = False

    def read_line(self, timeout: float) -> bytes:
        deadline = time.monotonic() + timeout
        # Chunks are collected and joined once: a listing of thousands of widgets is
        # megabytes long, and growing one bytes object chunk by chunk copies it again and
        # again.
        chunks = [self.buffer]
        while b"\n" not in chunks[-1]:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise errors.AgentLost("no reply from the agent within %.1f s" % timeout)
            self.sock.settimeout(remaining)
            try:
                chunk = self.sock.recv(1 << 20)
            except socket.timeout:
                continue
            except OSError as error:
                self.closed = True
                raise errors.AgentLost("the agent's connection failed: %s" % error) from None
            if not chunk:
                self.closed = True
                raise errors.AgentLost("the agent closed its connection (the application "
                                       "quit or crashed)")
            chunks.append(chunk)
        line, _, self.buffer = b"".join(chunks).partition(b"\n")
        return line

    def request(self, line: str, timeout: Optional[float] = None) -> bytes:
        """Sends one request line (text, without line feed); returns the raw reply bytes."""
        if self.closed:
            raise errors.AgentLost("the agent's connection is closed", line)
        try:
            self.sock.sendall(line.encode("utf-8") + b"\n")
        except OSError as error:
            self.closed = True
            raise errors.AgentLost("cannot send to the agent: %s" % error, line) from None
        try:
            reply = self.read_line(self.timeout + reply_allowance(len(line)) if timeout is None
                                   else timeout)
        except errors.AgentLost as lost:
            self.transcript.append((line, "(no reply: %s)" % lost.text))
            lost.request = line
            # Strict alternation is broken for good once a reply is missing.
            self.close()
            raise
        self.transcript.append((line, _readable(reply)))
        return reply

    def close(self) -> None:
        if not self.closed:
            self.closed = True
        try:
            self.sock.close()
        except OSError:
            pass


def _readable(reply: bytes) -> str:
    # An image is kept as its size: its hex would swamp the transcript and the memory.
    if reply.startswith(b"0,p:"):
        return "0,p:<PNG image of %d bytes>" % ((len(reply) - 4) // 2)
    return reply.decode("utf-8", errors="replace")


def find_launcher() -> str:
    """testclient-run: $TESTCLIENT_RUN, the PATH, the bin/ of the tree this package was
    installed into (<prefix>/lib/python3/dist-packages/testclient), or this checkout's
    build/bin."""
    named = os.environ.get("TESTCLIENT_RUN")
    if named:
        return named
    found = shutil.which("testclient-run")
    if found:
        return found
    here = os.path.dirname(os.path.abspath(__file__))
    for candidate in (os.path.join(here, "..", "..", "..", "..", "bin", "testclient-run"),
                      os.path.join(here, "..", "..", "build", "bin", "testclient-run")):
        if os.path.exists(candidate):
            return os.path.normpath(candidate)
    raise errors.LaunchError("testclient-run not found: install TestClient, build it (make) "
                             "or set TESTCLIENT_RUN to its path")


class Driver:
    """Listens on 127.0.0.1:port and accepts agents, known by the pid of their greeting.

    ``timeout`` bounds every reply; a missing reply raises AgentLost and never hangs.
    """

    def __init__(self, port: int = 4242, timeout: float = 30.0) -> None:
        self.port = port
        self.timeout = timeout
        self.server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            self.server.bind(("127.0.0.1", port))
        except OSError as error:
            self.server.close()
            raise errors.TestClientError("cannot listen on 127.0.0.1:%d: %s "
                                         "(is another driver running?)" % (port, error))
        self.server.listen(16)
        self.apps: Dict[int, App] = {}  # pid -> App, in order of arrival
        self._unclaimed: List[App] = []  # Apps accepted but not yet handed out

    def __enter__(self) -> Driver:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def close(self) -> None:
        for app in list(self.apps.values()):
            app.close()
        self.server.close()

    def release(self, app: App) -> None:
        """Forgets an App whose connection closed; ends its application when this driver
        launched it (App.close() calls this)."""
        self.apps.pop(app.pid, None)
        if app.process is not None:
            stop_process_group(app.process)
            app.process = None

    def _accept(self, timeout: float) -> Optional[App]:
        """Accepts one agent and reads its greeting; None when none came in time."""
        self.server.settimeout(max(timeout, 0.001))
        try:
            sock, _ = self.server.accept()
        except socket.timeout:
            return None
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        connection = Connection(sock, self.timeout)
        try:
            line = connection.read_line(max(timeout, 5.0))
        except errors.AgentLost:
            connection.close()
            return None
        if not line.startswith(GREETING_PREFIX):
            connection.close()
            raise errors.ProtocolError("not a greeting: %r" % line)
        connection.greeting = line.decode("latin-1")
        app = App(self, connection, **parse_greeting(connection.greeting))
        self.apps[app.pid] = app
        self._unclaimed.append(app)
        return app

    def wait_for_app(self, pid: Optional[int] = None, timeout: float = 10.0,
                     process: Optional[subprocess.Popen[bytes]] = None) -> Optional[App]:
        """The next agent that greets (or the one of that pid), accepted within timeout."""
        deadline = time.monotonic() + timeout
        while True:
            for app in self._unclaimed:
                if pid is None or app.pid == pid:
                    self._unclaimed.remove(app)
                    return app
            if process is not None and process.poll() is not None:
                return None
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise errors.WaitTimeout("no agent%s greeted within %.1f s" % (
                    "" if pid is None else " of pid %d" % pid, timeout))
            self._accept(min(remaining, 0.2) if process is not None else remaining)

    def launch(self, argv: Sequence[str], headless: bool = True,
               env: Optional[Mapping[str, str]] = None, xvfb: bool = False,
               timeout: float = 20.0, screen: Optional[str] = None,
               extended: bool = True, cwd: Optional[str] = None) -> App:
        """Starts an unmodified Qt 5 or Qt 6 application with the agent attached on this port
        (testclient-run picks the plug-in built for the program's Qt).

        headless: the offscreen platform; xvfb: a private Xvfb server; neither: the
        caller's display as the environment names it. screen: the size of the headless
        or Xvfb screen, "WIDTHxHEIGHT" (the launcher's 1920x1080 unless given).
        extended: the agent runs in the extended mode (the launcher's default);
        extended=False starts it plain, with the requests and replies of the plain
        protocol alone. cwd: the program's working folder (this process's unless given).
        Returns the App once its greeting arrived, or raises LaunchError
        with the launcher's one-line reason.
        """
        mode = "--xvfb" if xvfb else "--headless" if headless else "--desktop"
        # The launcher waits as long as we do, and then says why no agent came.
        seconds = max(1, math.ceil(timeout))
        options = ["--port", str(self.port), mode, "--timeout", str(seconds)]
        options += ["--screen", screen] if screen else []
        options += [] if extended else ["--plain"]
        command = [find_launcher()] + options + ["--"] + list(argv)
        environment = dict(os.environ)
        environment.update(env or {})
        # The application's messages go to a file, never to a pipe nobody drains.
        log = tempfile.TemporaryFile()
        process: Any = subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL,
                                        stdout=log, stderr=log, start_new_session=True,
                                        cwd=cwd)
        process.log = log
        try:
            app = self.wait_for_app(timeout=seconds + LAUNCHER_GRACE, process=process)
        except errors.WaitTimeout:
            stop_process_group(process)
            raise errors.LaunchError("%s: no agent connected within %.0f s"
                                     % (argv[0], timeout)) from None
        if app is None:
            raise errors.LaunchError(_launcher_reason(process))
        app.process = process
        return app


# How long the launcher may take, after its timeout, to end the program and exit.
LAUNCHER_GRACE = 10


def _launcher_reason(process: Any) -> str:
    """The launcher's one line on why no agent connected, from the log of an ended launch.

    The program's own output shares the log; the launcher's line is the last that it
    wrote itself, else the log's last line, else the launcher's exit status.
    """
    log = process.log
    log.seek(0)
    lines = log.read().decode("utf-8", errors="replace").strip().splitlines()
    log.close()
    own = [line for line in lines if line.startswith("testclient-run: ")]
    if own or lines:
        return (own or lines)[-1]
    return "%s exited with status %s" % (process.args[0], process.returncode)


def stop_process_group(process: subprocess.Popen[bytes], grace: float = 5.0) -> None:
    """Ends a launched application with its launcher (and its private X server)."""
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()
    log = getattr(process, "log", None)
    if log is not None:
        log.close()
