"""Records what a person does in an application and writes it out as a runnable test.

    python3 -m testclient.record [--pytest FILE] [--requests FILE] [--xvfb] [--port N]
                                 -- PROGRAM [ARGS]

Starts the program with the agent in the extended mode (on the desktop, or under a
private Xvfb with --xvfb), starts recording (request 24) and prints each step as the
agent records it. Recording ends when the program quits or on Ctrl-C; then the steps
(request 26) are written as a requests file that testclient-driver replays and as a
pytest file that uses this client. Without either option the requests go to the
standard output.

write_requests() and write_pytest() turn Step objects (App.recorded_steps()) into the
same files from a script.
"""

from __future__ import annotations

import argparse
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
from typing import Callable, Dict, List, Optional, Sequence, TextIO, Tuple

from . import errors
from .app import App, Widget
from .driver import Driver
from .protocol import SECRET_MASK, Request, Step, parse_steps, request_line
from .waiting import retry

POLL_SECONDS = 0.3

# The properties a widget shows an entered value in, by the kinds of widget that take one.
ENTERED_PROPERTIES = ("text", "plainText", "currentText", "cleanText", "value")

# How long a replay waits for each step's widget to be there and enabled, as a person waits
# to see it: a page that the click before builds later, a button that a field enables.
WIDGET_WAIT_SECONDS = 10

# The files read a password typed into a field from the environment: these variables.
SECRET_PREFIX = "TESTCLIENT_SECRET_"

def _value_text(typed: str) -> str:
    """The text of a typed value without its kind ("s:Ada" -> "Ada")."""
    return typed[2:] if typed[1:2] == ":" else typed


def secret_variables(steps: Sequence[Step]) -> Dict[Tuple[str, str], str]:
    """The environment variable that holds the password of each password field the steps
    enter into, by (window, address): TESTCLIENT_SECRET_1, _2... in the order of first use."""
    names: Dict[Tuple[str, str], str] = {}
    for step in steps:
        if step.secret and (step.window, step.address) not in names:
            names[(step.window, step.address)] = "%s%d" % (SECRET_PREFIX, len(names) + 1)
    return names


def describe(step: Step, number: Optional[int] = None, variable: Optional[str] = None) -> str:
    """A step in readable form: 'step 3: click {QPushButton text=OK} in Simple Address Book'.
    A password shows as a mask, or as the environment variable that holds it."""
    first, second = step.value(0), step.value(1)
    code = step.code
    what = step.address or "the window"
    if step.is_comment:
        action = step.comment
    elif step.secret:
        action = "enter %s into %s" % ("$" + variable if variable else repr(SECRET_MASK), what)
    elif code == Request.ACTIVATE:
        if first in ("b:true", "b:false"):
            action = "%s %s" % ("check" if first == "b:true" else "uncheck", what)
        elif first:
            action = "choose %r in %s" % (_value_text(first), what)
            if second:
                action += " (%r)" % _value_text(second)
        else:
            action = "click %s" % what
    elif code == Request.ENTER:
        action = "enter %r into %s" % (_value_text(first), what)
    elif code == Request.MOUSE:
        action = "mouse %s on %s" % (_value_text(first), what)
    elif code == Request.KEY:
        action = "press %s on %s" % (_value_text(first), what)
    else:
        action = "request %s" % step.request
    text = "%s in %s" % (action, step.window)
    return text if number is None else "step %d: %s" % (number, text)


def _header(argv: Optional[Sequence[str]]) -> str:
    return " ".join(argv) if argv else "PROGRAM"


def _session_lines(steps: Sequence[Step], wait: Callable[[str], str],
                   step_lines: Callable[[Step, Optional[str]], List[str]]) -> List[str]:
    """The lines of a replay, in either form: a wait before the first step in each window,
    then for each step a comment that says what it does and, unless it is one, the step's
    own lines (given the variable that holds its password, if it has one)."""
    secrets = secret_variables(steps)
    lines = []  # type: List[str]
    window = None  # type: Optional[str]
    for number, step in enumerate(steps, 1):
        if step.window != window:
            window = step.window
            lines.append(wait(step.window))
        variable = secrets.get((step.window, step.address)) if step.secret else None
        lines.append("# " + describe(step, number, variable))
        if not step.is_comment:
            lines += step_lines(step, variable)
    return lines


def requests_text(steps: Sequence[Step], argv: Optional[Sequence[str]] = None) -> str:
    """The text of a requests file: before the first step in each window a :wait for it,
    then one request line per step, each under a comment that says what it does; each step
    waits for its widget (:patience)."""
    lines = ["# Recorded by testclient-record. Replay:",
             "#   testclient-driver THIS_FILE -- testclient-run -- %s" % _header(argv)]
    secrets = secret_variables(steps)
    for (window, address), variable in secrets.items():
        lines.append("# with %s set to the password typed into %s in %s"
                     % (variable, address, window))
    lines += ["# Each step waits up to %d s for its widget to be there and enabled:"
              % WIDGET_WAIT_SECONDS, ":patience %d" % WIDGET_WAIT_SECONDS]

    def step_lines(step: Step, variable: Optional[str]) -> List[str]:
        if variable:
            # The driver puts the variable's text in place of {secret:NAME}.
            return [request_line(Request(step.code), step.window, step.address, "",
                                 "{secret:%s}" % variable, "")]
        return [step.request]
    lines += _session_lines(steps, lambda window: ":wait %s" % window, step_lines)
    return "\n".join(lines) + "\n"


def write_requests(steps: Sequence[Step], path: str,
                   argv: Optional[Sequence[str]] = None) -> str:
    """Writes a requests file for testclient-driver; returns the path."""
    with open(path, "w", encoding="utf-8") as out:
        out.write(requests_text(steps, argv))
    return path


def pytest_text(steps: Sequence[Step], argv: Sequence[str], port: int = 4242) -> str:
    """The text of a pytest file that launches argv and does the steps again: it waits
    for each window before its first step, for each step's widget (ready()) and, after each
    enter, for the widget to show the value entered."""
    secrets = ["%s: the password typed into %s in %s" % (variable, address, window)
               for (window, address), variable in secret_variables(steps).items()]
    note = "\n\nRead from the environment:\n" + "\n".join(secrets) if secrets else ""
    lines = [
        '"""Recorded by testclient-record from: %s%s"""' % (_header(argv).replace('"', "'"), note),
        "",
        "import os",
        "",
        "from testclient import Driver, Secret",
        "from testclient.record import ready, wait_for_entered",
        "",
        "ARGV = %r" % (list(argv),),
        'PORT = int(os.environ.get("TESTCLIENT_PORT", "%d"))' % port,
        "",
        "",
        "def test_recorded_session():",
        "    with Driver(port=PORT) as driver:",
        "        app = driver.launch(ARGV)",
        "        try:",
    ]
    previous = []  # type: List[Step]

    def step_lines(step: Step, variable: Optional[str]) -> List[str]:
        # An enter right after an item of the same view was made current edits that item,
        # which shows what the program makes of the text: nothing is read back.
        last = previous[-1] if previous else None
        cell = last is not None and last.code == Request.ACTIVATE \
            and (last.window, last.address) == (step.window, step.address)
        previous.append(step)
        return _calls(step, variable, read_back=not cell)
    body = _session_lines(steps, lambda window: "window = app.window(%r).wait(10)" % window,
                          step_lines)
    lines += ["            " + line for line in body or ["pass"]]
    lines += ["        finally:", "            app.close()"]
    return "\n".join(lines) + "\n"


def _python_value(typed: str) -> str:
    """A typed value as the client's API takes it: "b:true" -> True, "i:3" -> 3, "s:x" -> 'x'."""
    if typed in ("b:true", "b:false"):
        return repr(typed == "b:true")
    if typed.startswith("i:") and typed[2:].lstrip("-").isdigit():
        return typed[2:]
    return repr(_value_text(typed))


def _calls(step: Step, variable: Optional[str], read_back: bool = True) -> List[str]:
    """The client calls that do the step again, on `window`, the step's window."""
    widget = "window.widget(%r)" % step.address
    # A step on a widget waits for it; one on the window has waited with the window.
    target = "ready(%s)" % widget if step.address else "window"
    args = ", ".join(_python_value(v) for v in step.values if v)
    if variable:
        return ["%s.enter(Secret(os.environ[%r]))" % (target, variable)]
    if step.code == Request.ACTIVATE:
        return ["%s.activate(%s)" % (target, args)]
    if step.code == Request.ENTER:
        # Then the widget must show the value: a program that changed fails here.
        return ["%s.enter(%s)" % (target, args)] + (
            ["wait_for_entered(%s, %s)" % (widget, args)] if read_back else [])
    if step.code == Request.KEY:
        return ["%s.press(%s)" % (target, args)]
    if step.code == Request.MOUSE:
        return ["%s.mouse(%s)" % (target, args)]
    return ["app.request(%r)" % step.request]


def write_pytest(steps: Sequence[Step], path: str, argv: Sequence[str],
                 port: int = 4242) -> str:
    """Writes a pytest file that replays the steps with this client; returns the path."""
    with open(path, "w", encoding="utf-8") as out:
        out.write(pytest_text(steps, argv, port))
    return path


def ready(widget: Widget, timeout: float = WIDGET_WAIT_SECONDS) -> Widget:
    """The widget once it is there and enabled, waited for as a person waits to see the
    widget of their next step; after timeout the widget as it is, so that the step on it
    answers for itself."""
    def enabled() -> None:
        try:
            if widget.prop("enabled") is False:
                raise errors.TestClientError("disabled")
        except errors.CommandError:
            pass    # it is there, without the property: nothing more to wait for
    try:
        retry(enabled, timeout, "%r was not there and enabled" % widget.path)
    except errors.WaitTimeout:
        pass
    return widget


def wait_for_entered(widget: Widget, value: str, timeout: float = 5.0) -> str:
    """Waits until the widget shows the value entered in one of the properties that
    hold one (text, plainText, currentText, cleanText, value); returns that property's
    name. Raises WaitTimeout, saying what the widget shows, when it does not."""
    def shows() -> str:
        seen = {}
        for name in ENTERED_PROPERTIES:
            try:
                current = widget.prop(name)
            except errors.CommandError:
                continue
            if current == value or str(current) == value:
                return name
            seen[name] = current
        raise errors.TestClientError("it shows %s" % (seen or "no text property"))
    return retry(shows, timeout, "%r did not show %r" % (widget.path, value))


def merge_enters(steps: Sequence[Step]) -> List[Step]:
    """The steps with each run of enters into one widget reduced to its last: the agent
    makes a step of the text typed so far whenever it serves a request, so fetching the
    steps while a person types splits the typing in two."""
    merged: List[Step] = []
    for step in steps:
        previous = merged[-1] if merged else None
        if step.code == Request.ENTER and previous is not None \
                and previous.code == Request.ENTER \
                and (previous.window, previous.address) == (step.window, step.address):
            merged[-1] = step
        else:
            merged.append(step)
    return merged


class Recording:
    """Follows a recording in an App: each poll() fetches the steps, keeps the latest list
    (which stays when the agent is gone) and prints the steps that came or changed. Text
    still being typed is the last step and grows at each poll, so a last enter is printed
    once another step follows it, or by finish()."""

    def __init__(self, app: App, out: TextIO = sys.stdout) -> None:
        self.app = app
        self.out = out
        self.steps: List[Step] = []
        self.printed: List[Step] = []

    def poll(self) -> List[Step]:
        self.steps = merge_enters(self.app.recorded_steps())
        last_settles = not self.steps or self.steps[-1].code != Request.ENTER
        self._print(len(self.steps) if last_settles else len(self.steps) - 1)
        return self.steps

    def take_saved(self, path: str) -> None:
        """Takes the steps the agent wrote to path as the program quit: they hold the
        last ones (the click that quit it), which no fetch came in time for."""
        try:
            with open(path, encoding="utf-8") as saved:
                self.steps = merge_enters(parse_steps(json.load(saved)))
        except (OSError, ValueError):
            pass  # killed, or quit before recording: the last list fetched is the recording

    def finish(self) -> None:
        """Prints the steps not printed yet."""
        self._print(len(self.steps))

    def _print(self, settled: int) -> None:
        for index in range(settled):
            if index >= len(self.printed) or self.printed[index] != self.steps[index]:
                print(describe(self.steps[index], index + 1), file=self.out, flush=True)
        self.printed = self.steps[:settled]


def record(argv: Sequence[str], port: int = 4242, xvfb: bool = False, out: TextIO = sys.stdout,
           poll_seconds: float = POLL_SECONDS) -> List[Step]:
    """Launches argv, records until it quits or Ctrl-C, and returns the steps."""
    stopped: List[bool] = []
    # Ctrl-C only marks the end: a request it cut in half would leave the reply unread.
    try:
        previous = signal.signal(signal.SIGINT, lambda *_: stopped.append(True))
    except ValueError:  # not the main thread: Ctrl-C is not this function's to take
        previous = None
    try:
        with Driver(port=port) as driver, tempfile.TemporaryDirectory() as folder:
            saved = os.path.join(folder, "steps.json")
            app = driver.launch(argv, headless=False, xvfb=xvfb,
                                env={"TESTCLIENT_RECORD_FILE": saved})
            recording = Recording(app, out)
            try:
                app.start_recording()
                print("recording %s (pid %d); quit it or press Ctrl-C to stop"
                      % (os.path.basename(argv[0]), app.pid), file=out, flush=True)
                while not stopped and app.process.poll() is None:
                    recording.poll()
                    time.sleep(poll_seconds)
                recording.poll()
                app.stop_recording()
            except errors.AgentLost:
                pass  # it quit
            if stopped and app.process.poll() is None:
                recording.finish()
                return recording.steps
            # The program quit: the agent wrote its steps as it did.
            try:
                app.process.wait(10)
            except subprocess.TimeoutExpired:
                pass
            recording.take_saved(saved)
            recording.finish()
            return recording.steps
    finally:
        if previous is not None:
            signal.signal(signal.SIGINT, previous)


def main(args: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(
        prog="testclient-record",
        description="Records what you do in a Qt Widgets program (Qt 5 or Qt 6) and writes "
                    "it as a requests file and/or a pytest file.")
    parser.add_argument("--pytest", metavar="FILE", help="write a pytest file")
    parser.add_argument("--requests", metavar="FILE",
                        help="write a requests file for testclient-driver")
    parser.add_argument("--xvfb", action="store_true",
                        help="run the program under a private Xvfb, not on the desktop")
    parser.add_argument("--port", type=int, default=4242)
    parser.add_argument("program", nargs=argparse.REMAINDER, help="-- PROGRAM [ARGS]")
    options = parser.parse_args(args)
    argv = options.program[1:] if options.program[:1] == ["--"] else options.program
    if not argv:
        parser.error("give the program after --")
    if not options.xvfb and not os.environ.get("DISPLAY") \
            and not os.environ.get("WAYLAND_DISPLAY"):
        parser.error("no desktop (DISPLAY is unset): use --xvfb")
    try:
        steps = record(argv, options.port, options.xvfb)
    except errors.TestClientError as error:
        print("testclient-record: %s" % error, file=sys.stderr)
        return 1
    print("%d step%s recorded" % (len(steps), "" if len(steps) == 1 else "s"), flush=True)
    if options.requests:
        write_requests(steps, options.requests, argv)
        print("wrote %s" % options.requests)
    if options.pytest:
        write_pytest(steps, options.pytest, argv, options.port)
        print("wrote %s" % options.pytest)
    if not options.requests and not options.pytest:
        sys.stdout.write(requests_text(steps, argv))
    return 0


if __name__ == "__main__":
    sys.exit(main())
