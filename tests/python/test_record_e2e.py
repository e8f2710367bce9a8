"""Recording end to end: X input from xdotool into Qt's example programs under Xvfb
becomes steps, whose requests file (through testclient-driver) and pytest file each bring
a fresh start of the program to the same state; testclient-record prints and writes them."""

import contextlib
import os
import shutil
import signal
import subprocess
import sys
import threading

import pytest
from conftest import need_qt5_examples

from testclient import Driver, Request, protocol, record, wait_until
from testclient.protocol import request_line

from conftest import BIN

EXAMPLES = "/usr/lib/x86_64-linux-gnu/qt5/examples/widgets"
ADDRESS_BOOK = os.path.join(EXAMPLES, "tutorials/addressbook/part2/part2")
BOOK = "Simple Address Book"
NAME = "{QLineEdit}"
ADDRESS = "{QTextEdit}"


def x_environment(pid):
    """The DISPLAY (and XAUTHORITY) the launcher gave the application of pid."""
    with open("/proc/%d/environ" % pid, "rb") as environ:
        variables = dict(entry.split(b"=", 1) for entry in environ.read().split(b"\0")
                         if b"=" in entry)
    env = dict(os.environ)
    for name in ("DISPLAY", "XAUTHORITY"):
        env.pop(name, None)
        if name.encode() in variables:
            env[name] = variables[name.encode()].decode()
    return env


class XInput:
    """A person at the Xvfb screen: xdotool clicks at the centre of a widget's rectangle
    on the screen and types through the X keyboard."""

    def __init__(self, pid):
        self.env = x_environment(pid)
        self.done = []  # the xdotool arguments of each action, to do them again

    def run(self, *args):
        self.done.append(args)
        subprocess.run(["xdotool"] + list(args), env=self.env, check=True, timeout=20,
                       stdout=subprocess.DEVNULL)

    def click(self, widget, left=None):
        """Clicks the centre of the widget, or left pixels in from its left edge (a check
        box takes clicks on its box and label only, and a layout may make it wider)."""
        self.click_at(widget.prop("globalRect"), left)

    def click_item(self, widget, item):
        """Clicks an item of a view, tab bar or menu where the agent says it shows."""
        self.click_at(widget.prop("itemGlobalRect", item))

    def click_at(self, rect, left=None):
        x, y = rect.center
        x = x if left is None else rect.left + left
        self.run("mousemove", "--sync", str(x), str(y), "click", "1")

    def type(self, text):
        self.run("type", "--delay", "30", text)


def read_state(app, reads):
    """The state a session leaves, as reads by name: each is (window, path, property[,
    parameter])."""
    return {key: app.window(read[0]).widget(read[1]).prop(*read[2:])
            for key, read in reads.items()}


@pytest.fixture
def xdotool(launcher):
    if not shutil.which("xdotool"):
        pytest.skip("xdotool is not installed (scripts/install-deps.sh installs it)")
    need_qt5_examples(ADDRESS_BOOK)


@contextlib.contextmanager
def recording(program, title):
    """A fresh start of the program under Xvfb, recording from the moment its window shows;
    yields the application, that window and the person's X input."""
    with Driver(port=4242, timeout=20) as driver:
        app = driver.launch([program], xvfb=True)
        try:
            window = app.wait_for_window(title)
            app.start_recording()
            yield app, window, XInput(app.pid)
        finally:
            app.close()


def record_session():
    """Adds a contact by X input, closing the modal message box that confirms it;
    returns the recorded steps and the xdotool arguments of the input."""
    with recording(ADDRESS_BOOK, BOOK) as (app, book, user):
        user.click(book.widget("{QPushButton text=Add}"))
        book.widget(NAME).wait_for_prop("readOnly", False)
        user.click(book.widget(NAME))
        user.type("Ada Lovelace")
        book.widget(NAME).wait_for_prop("text", "Ada Lovelace")
        user.click(book.widget(ADDRESS))
        user.type("12 St James's Square")
        book.widget(ADDRESS).wait_for_prop("plainText", "12 St James's Square")
        user.click(book.widget("{QPushButton text=Submit}"))
        message = app.wait_for_window("Add Successful")
        user.click(message.widget("{QPushButton text=OK}"))
        wait_until(lambda: not any(w.title == "Add Successful" for w in app.window_infos()),
                   10, "the message box did not close")
        steps = app.recorded_steps()
        app.stop_recording()
    return steps, user.done


def replay_with_driver(requests_file, tmp_path, program, reads):
    """Runs the requests file and reads of the final state through testclient-driver
    against a fresh start of the program under a private Xvfb (the generated pytest file
    replays offscreen); returns that state and the driver's output."""
    script = tmp_path / "replay.requests"
    lines = {key: request_line(Request.PROPERTY, read[0], read[1], "", read[2],
                               "s:" + read[3] if len(read) > 3 else "")
             for key, read in reads.items()}
    script.write_text(requests_file.read_text(encoding="utf-8") + "\n".join(
        lines.values()) + "\n", encoding="utf-8")
    run = subprocess.run(
        [os.path.join(BIN, "testclient-driver"), "--port", "4242", "--raw", str(script),
         "--", os.path.join(BIN, "testclient-run"), "--port", "4242", "--xvfb", "--",
         program], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    output = run.stdout.decode("utf-8", errors="replace")
    assert run.returncode == 0, output
    printed = output.splitlines()
    state = {}
    for key, request in lines.items():
        reply = printed[printed.index(">> " + request) + 1]
        status, payload = protocol.split_reply(reply.encode("utf-8"))
        assert status == "0", output
        state[key] = protocol.decode_value(payload)
    return state, output


def run_generated(steps, tmp_path, program, state, reads):
    """Writes the pytest file, adds a check of the final state at its end, and runs it
    against a fresh start of the program; returns pytest's exit status and output."""
    text = record.pytest_text(steps, [program])
    checks = ["            assert app.window(%r).widget(%r).prop(%s) == %r" % (
        reads[key][0], reads[key][1], ", ".join(map(repr, reads[key][2:])), value)
        for key, value in state.items()]
    text = text.replace("        finally:\n", "\n".join(checks) + "\n        finally:\n")
    (tmp_path / "test_generated.py").write_text(text, encoding="utf-8")
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider",
                          "test_generated.py"], cwd=tmp_path, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=120)
    return run.returncode, run.stdout.decode("utf-8", errors="replace")


class Lines:
    """A process's output, line by line as it comes, read on a thread of its own."""

    def __init__(self, stream):
        self.lines = []
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for line in stream:
            self.lines.append(line.decode("utf-8", errors="replace").rstrip("\n"))

    def wait_for(self, start, timeout=20.0):
        wait_until(lambda: any(line.startswith(start) for line in self.lines), timeout,
                   "no line starting %r in %r" % (start, self.lines))
        return next(line for line in self.lines if line.startswith(start))


@contextlib.contextmanager
def recording_command(*options, program=ADDRESS_BOOK, title=BOOK):
    """testclient-record on the program (the address book) under Xvfb, once its window
    shows; yields its output as it comes, the command's process, the program's pid and the
    person's X input. The body ends the recording; the command must then exit with 0."""
    recorder = subprocess.Popen([sys.executable, "-m", "testclient.record", "--xvfb"] +
                                list(options) + ["--", program],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        output = Lines(recorder.stdout)
        started = output.wait_for("recording %s (pid " % os.path.basename(program))
        pid = int(started.split("(pid ")[1].split(")")[0])
        user = XInput(pid)
        user.run("search", "--sync", "--onlyvisible", "--name", title)
        yield output, recorder, pid, user
        assert recorder.wait(30) == 0, output.lines
    finally:
        if recorder.poll() is None:
            recorder.kill()
            recorder.wait()
    output.thread.join(10)


def test_the_command_prints_each_step_and_writes_the_files_on_ctrl_c(xdotool, tmp_path):
    steps, actions = record_session()
    with recording_command("--requests", str(tmp_path / "book.requests"),
                           "--pytest", str(tmp_path / "test_book.py")) as (output, recorder, _,
                                                                           user):
        # The same X input at the same places: the windows open where they did before.
        # Each step is printed once the next action has shown where the last one ended.
        for args in actions:
            user.run(*args)
        output.wait_for("step %d: " % len(steps))
        recorder.send_signal(signal.SIGINT)
    assert [line for line in output.lines if line.startswith("step ")] == \
        [record.describe(s, n) for n, s in enumerate(steps, 1)]
    assert "%d steps recorded" % len(steps) in output.lines
    assert (tmp_path / "book.requests").read_text(encoding="utf-8") == \
        record.requests_text(steps, [ADDRESS_BOOK])
    assert (tmp_path / "test_book.py").read_text(encoding="utf-8") == \
        record.pytest_text(steps, [ADDRESS_BOOK])


def replays_to(steps, state, program, reads, tmp_path):
    """The requests file through testclient-driver and the generated pytest file each
    bring a fresh start of the program to the recorded state."""
    requests = record.write_requests(steps, tmp_path / "session.requests", [program])
    replayed, output = replay_with_driver(requests, tmp_path, program, reads)
    assert replayed == state, output
    status, output = run_generated(steps, tmp_path, program, state, reads)
    assert status == 0, output


def example(relative):
    program = os.path.join(EXAMPLES, relative)
    need_qt5_examples(program)
    return program


LINE_EDITS = "Line Edits"
ECHO_COMBO = "{QGroupBox text=Echo}//{QComboBox}"
ECHO_FIELD = "{QGroupBox text=Echo}//{QLineEdit}"
PASSWORD = "hunter2 s3cret"


def choose_echo(app, window, user, mode):
    user.click(window.widget(ECHO_COMBO))
    popup = app.wait_for_window("{QComboBoxPrivateContainer}")
    user.click_item(popup.widget("{QListView}"), mode)
    window.widget(ECHO_COMBO).wait_for_prop("currentText", mode)


def never_in_clear(password, outputs):
    """Neither the password nor its hex (as a request line would carry it) is in outputs."""
    outputs = "\n".join(outputs)
    for clear in (password, password.encode().hex(), ("s:" + password).encode().hex()):
        assert clear not in outputs


def test_a_password_is_never_written_or_printed_in_clear(xdotool, tmp_path, monkeypatch):
    lineedits = example("widgets/lineedits/lineedits")
    with recording(lineedits, LINE_EDITS) as (app, window, user):
        choose_echo(app, window, user, "Password")
        user.click(window.widget(ECHO_FIELD))
        user.type(PASSWORD)
        window.widget(ECHO_FIELD).wait_for_prop("text", PASSWORD)
        choose_echo(app, window, user, "No Echo")
        steps = app.recorded_steps()
    assert [s.code for s in steps] == [5, 6, 5] and steps[1].secret, steps

    requests, pytest_file = tmp_path / "login.requests", tmp_path / "test_login.py"
    with recording_command("--requests", str(requests), "--pytest", str(pytest_file),
                           program=lineedits, title=LINE_EDITS) as (output, recorder, _, again):
        for args in user.done:
            again.run(*args)
        output.wait_for("step 3: ")
        recorder.send_signal(signal.SIGINT)
    assert requests.read_text(encoding="utf-8") == record.requests_text(steps, [lineedits])
    assert "step 2: enter '********' into %s in %s" % (steps[1].address, steps[1].window) \
        in output.lines
    assert "{secret:TESTCLIENT_SECRET_1}" in requests.read_text(encoding="utf-8")
    never_in_clear(PASSWORD, output.lines + [requests.read_text(encoding="utf-8"),
                                             pytest_file.read_text(encoding="utf-8"),
                                             repr(steps)])

    # The replay reads the password from the variable that the files name.
    monkeypatch.setenv("TESTCLIENT_SECRET_1", PASSWORD)
    reads = {"text": (LINE_EDITS, ECHO_FIELD, "text"),
             "echo": (LINE_EDITS, ECHO_COMBO, "currentText")}
    replays_to(steps, {"text": PASSWORD, "echo": "No Echo"}, lineedits, reads, tmp_path)


def test_the_click_that_quits_the_program_is_kept(xdotool, tmp_path):
    application = example("mainwindows/application/application")
    with recording(application, "{MainWindow}") as (app, window, user):
        bar = window.widget("{QMenuBar}")
        user.click_item(bar, "File")
        wait_until(lambda: bar.prop("itemGlobalRect", "File/Exit").width > 0, 10,
                   "File/Exit did not show")
        x, y = bar.prop("itemGlobalRect", "File/Exit").center
    requests = tmp_path / "quit.requests"
    with recording_command("--requests", str(requests), program=application,
                           title="untitled") as (output, recorder, _, again):
        for args in user.done:
            again.run(*args)
        # The click on Exit: the program quits, and its Xvfb with it, as xdotool still talks.
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"],
                       env=again.env, timeout=20, stderr=subprocess.DEVNULL)
        recorder.wait(30)   # the command ends with the program
    assert output.wait_for("step 1: ").startswith("step 1: choose 'File/Exit' in {QMenuBar}")
    assert "1 step recorded" in output.lines
    assert "{QMenuBar}" in requests.read_text(encoding="utf-8").splitlines()[-1]
