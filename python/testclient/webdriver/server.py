"""testclient-webdriver: a W3C WebDriver server in front of the agent's extended mode.

Each HTTP command is answered by requests on the session's own agent connection, one
command of a session at a time; sessions run side by side, each program on a port of its
own. It listens on 127.0.0.1 unless told otherwise; a server that starts programs on
request is a door to run them, so listening anywhere else needs --allow naming what
sessions may start. A web page in a browser on the same machine can reach the port too:
requests a browser sends for a page (with an Origin header) or under a name other than the
machine's own (a rebound DNS name, in the Host header) are refused.
"""

from __future__ import annotations

import argparse
import ipaddress
import json
import os
import re
import shutil
import socket
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from typing import Any, Dict, List, Optional, Tuple
from urllib.parse import urlsplit

from . import actions, elements, scripts, windows
from .capabilities import merge
from .session import Session, start
from .w3c import WebDriverError, argument

VERSION = "2.1.0"
_SESSION = re.compile(r"^/session/([^/]+)(?:/(.*))?$")
_ELEMENT = re.compile(r"^element/([^/]+)(?:/(.*))?$")
# Bodies are commands' arguments; the largest real one is a long text to type.
_LONGEST_BODY = 64 << 20
_UNSUPPORTED = ("url", "back", "forward", "refresh", "frame", "cookie", "alert", "print",
                "execute/async", "shadow")


class Allowance:
    """Which programs sessions may start: everything, or the named programs and the
    programs inside the named folders."""

    def __init__(self, allowed: Optional[List[str]]) -> None:
        self.allowed = None if allowed is None else [os.path.realpath(a) for a in allowed]

    def __call__(self, program: str) -> bool:
        if self.allowed is None:
            return True
        found = shutil.which(program) or program
        real = os.path.realpath(found)
        return any(real == a or real.startswith(a.rstrip("/") + "/") for a in self.allowed)


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address: Tuple[str, int], allowance: Allowance) -> None:
        super().__init__(address, Handler)
        self.allowance = allowance
        self.loopback = _is_loopback(address[0])
        self.sessions: Dict[str, Session] = {}
        self.sessions_lock = threading.Lock()
        self.reaper = threading.Event()
        threading.Thread(target=self._reap, daemon=True).start()

    def _reap(self) -> None:
        """Ends sessions that received no command within their new-command timeout."""
        while not self.reaper.wait(1.0):
            with self.sessions_lock:
                idle = [s for s in self.sessions.values() if s.idle_too_long()]
            for session in idle:
                self.end_session(session.id)

    def end_session(self, sid: str) -> None:
        with self.sessions_lock:
            session = self.sessions.pop(sid, None)
        if session is not None:
            with session.lock:
                session.end()

    def server_close(self) -> None:
        self.reaper.set()
        for sid in list(self.sessions):
            self.end_session(sid)
        super().server_close()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server: Server

    def setup(self) -> None:
        super().setup()
        # Headers and body leave in two writes: without this the body waits for the
        # client's delayed acknowledgement of the headers (40 ms on Linux).
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def log_message(self, format: str, *args: Any) -> None:  # noqa: A002
        if os.environ.get("TESTCLIENT_WEBDRIVER_LOG"):
            super().log_message(format, *args)

    def do_GET(self) -> None:
        self._answer("GET")

    def do_POST(self) -> None:
        self._answer("POST")

    def do_DELETE(self) -> None:
        self._answer("DELETE")

    def do_PUT(self) -> None:
        self._answer("PUT")

    do_PATCH = do_OPTIONS = do_PUT

    def _body(self) -> Any:
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            length = -1
        if not 0 <= length <= _LONGEST_BODY:
            self.close_connection = True  # what follows the headers is no request
            raise WebDriverError("invalid argument", "a body of %s bytes" % length)
        data = self.rfile.read(length) if length else b""
        if not data.strip():
            return {}
        try:
            return json.loads(data.decode("utf-8"))
        except (UnicodeDecodeError, json.JSONDecodeError) as error:
            raise WebDriverError("invalid argument", "the body is no JSON: %s" % error)

    def _refusal(self) -> Optional[str]:
        """Why a request that a web page made, rather than a test, is refused."""
        origin = self.headers.get("Origin")
        if origin is not None and not _is_loopback(urlsplit(origin).hostname or ""):
            return "requests from web pages (Origin %s) are refused" % origin
        host = self.headers.get("Host", "")
        if self.server.loopback and not _is_loopback(urlsplit("//" + host).hostname or ""):
            return "requests for host %s are refused: the server listens on loopback" % host
        return None

    def _answer(self, method: str) -> None:
        refusal = self._refusal()
        if refusal is not None:
            self.close_connection = True  # its body is left unread
            self._reply(403, WebDriverError("unknown error", refusal).body())
            return
        status, reply = 200, None
        try:
            body = self._body()
            reply = {"value": self._route(method, self.path.split("?")[0].rstrip("/"), body)}
        except WebDriverError as error:
            status, reply = error.status, error.body()
        except Exception as error:  # a fault of ours is still an answer, never a hang
            failure = WebDriverError("unknown error", "%s: %s" % (type(error).__name__, error))
            status, reply = failure.status, failure.body()
        self._reply(status, reply)

    def _reply(self, status: int, reply: Any) -> None:
        data = json.dumps(reply, ensure_ascii=False).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def _route(self, method: str, path: str, body: Any) -> Any:
        if method not in ("GET", "POST", "DELETE"):
            raise WebDriverError("unknown method", "WebDriver has no %s commands" % method)
        if path == "/status" and method == "GET":
            return {"ready": True, "message": "testclient-webdriver %s is ready; "
                    "%d sessions" % (VERSION, len(self.server.sessions)),
                    "build": {"version": VERSION}}
        if path == "/session" and method == "POST":
            return self._new_session(body)
        if path == "/sessions" and method == "GET":
            return [{"id": s.id, "capabilities": s.capabilities}
                    for s in list(self.server.sessions.values())]
        match = _SESSION.match(path)
        if match is None:
            raise WebDriverError("unknown command", "%s %s is no command" % (method, path))
        sid, command = match.group(1), match.group(2) or ""
        session = self.server.sessions.get(sid)
        if session is None:
            raise WebDriverError("invalid session id", "no session %s" % sid)
        if method == "DELETE" and command == "":
            self.server.end_session(sid)
            return None
        with session.lock:
            session.touch()
            try:
                result = session_command(session, method, command, body)
            finally:
                session.touch()
        if session.app.connection.closed:  # the last window was closed, or the program quit
            self.server.end_session(sid)
        return result

    def _new_session(self, body: Any) -> Dict[str, Any]:
        capabilities = merge(argument(body, "capabilities", dict))
        session = start(capabilities, self.server.allowance)
        with self.server.sessions_lock:
            self.server.sessions[session.id] = session
        return {"sessionId": session.id, "capabilities": dict(
            capabilities, platformName="linux", browserName="", browserVersion=VERSION,
            setWindowRect=True, timeouts=session.timeouts)}


def _timeouts(session: Session, method: str, body: Any) -> Any:
    if method == "GET":
        return session.timeouts
    for key in ("implicit", "pageLoad", "script"):
        if isinstance(body, dict) and key in body:
            value = body[key]
            if value is None and key == "script":  # no script timeout at all
                value = 0
            if isinstance(value, bool) or not isinstance(value, int) or value < 0:
                raise WebDriverError("invalid argument", "timeout %s is %r" % (key, value))
            session.timeouts[key] = value
    return None


def session_command(session: Session, method: str, command: str, body: Any) -> Any:
    """One command of a session, by method and the path after the session id."""
    if command == "timeouts":
        return _timeouts(session, method, body)
    if command in ("element", "elements") and method == "POST":
        return session.find(argument(body, "using", str), argument(body, "value", str),
                            single=command == "element")
    if command == "element/active" and method == "GET":
        return session.find("-testclient selector", "FocusWidget")
    match = _ELEMENT.match(command)
    if match is not None:
        eid, rest = match.group(1), match.group(2) or ""
        if rest in ("element", "elements") and method == "POST":
            return session.find(argument(body, "using", str), argument(body, "value", str),
                                within=eid, single=rest == "element")
        if rest == "value" and method == "POST":
            return elements.send_keys(session, eid, argument(body, "text", str))
        return elements.commands(session, eid, rest, body)
    if command == "execute/sync" and method == "POST":
        return scripts.execute(session, body)
    if command == "actions":
        return actions.perform(session, body) if method == "POST" \
            else actions.release(session)
    answer = windows.commands(session, method, command, body)
    if answer is not NotImplemented:
        return answer
    if command.split("/")[0] in _UNSUPPORTED or command in _UNSUPPORTED:
        raise WebDriverError("unsupported operation", "%s has no meaning for a Qt Widgets "
                             "program" % command.split("/")[0])
    raise WebDriverError("unknown command", "%s /session/{id}/%s is no command"
                         % (method, command))


def _is_loopback(host: str) -> bool:
    if host == "localhost":
        return True
    try:
        return ipaddress.ip_address(host).is_loopback
    except ValueError:
        return False


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(
        prog="testclient-webdriver",
        description="W3C WebDriver server for Qt Widgets programs with the TestClient agent")
    parser.add_argument("--port", type=int, default=4723, help="HTTP port (4723)")
    parser.add_argument("--host", default="127.0.0.1",
                        help="address to listen on (127.0.0.1; any other needs --allow)")
    parser.add_argument("--allow", action="append", metavar="PROGRAM_OR_FOLDER",
                        help="a program, or a folder of programs, that sessions may "
                             "start; repeat for more")
    options = parser.parse_args(argv)
    if not _is_loopback(options.host) and not options.allow:
        parser.error("listening on %s lets anyone who reaches it start programs: name "
                     "what sessions may start with --allow" % options.host)
    try:
        server = Server((options.host, options.port), Allowance(options.allow))
    except OSError as error:
        print("testclient-webdriver: cannot listen on %s:%d: %s"
              % (options.host, options.port, error), file=sys.stderr)
        return 1
    host, port = server.server_address[:2]
    print("testclient-webdriver listening on http://%s:%d" % (str(host), int(port)))
    print("sessions may start %s" % ("any program of this user (name them with --allow)"
                                      if options.allow is None else
                                      "only: " + ", ".join(options.allow)), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0
