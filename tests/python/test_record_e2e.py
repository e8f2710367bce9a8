"""Recording end to end: X input from xdotool into Qt's address book example under Xvfb
becomes steps, whose requests file (through testclient-driver) and pytest file each bring
a fresh start of the program to the same state."""

import os
import shutil
import signal
import subprocess
import sys
import threading
import time

import pytest

from testclient import Driver, protocol, record

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

    def click(self, widget):
        x, y = widget.prop("globalRect").center
        self.run("mousemove", "--sync", str(x), str(y), "click", "1")

    def type(self, text):
        self.run("type", "--delay", "30", text)


def until(condition, timeout=10.0, what="condition"):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() >= deadline:
            raise AssertionError("%s not met within %.0f s" % (what, timeout))
        time.sleep(0.05)


def final_state(window):
    """What the session leaves: the two fields' texts and whether they are read-only."""
    name, address = window.widget(NAME), window.widget(ADDRESS)
    return {"name": name.prop("text"), "address": address.prop("plainText"),
            "name read-only": name.prop("readOnly"),
            "address read-only": address.prop("readOnly")}


@pytest.fixture
def xdotool(launcher):
    if not shutil.which("xdotool"):
        pytest.skip("xdotool is not installed (scripts/install-deps.sh installs it)")
    if not os.path.exists(ADDRESS_BOOK):
        pytest.skip("qtbase5-examples is not installed")


def record_session():
    """Adds a contact by X input, closing the modal message box that confirms it;
    returns the recorded steps and the state the application ended in."""
    with Driver(port=4242, timeout=20) as driver:
        app = driver.launch([ADDRESS_BOOK], xvfb=True)
        try:
            book = app.wait_for_window(BOOK)
            app.start_recording()
            user = XInput(app.pid)
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
            until(lambda: not any(w.title == "Add Successful" for w in app.window_infos()),
                  what="the message box closing")
            state = final_state(book)
            steps = app.recorded_steps()
            app.stop_recording()
        finally:
            app.close()
    return steps, state, user.done


def replay_with_driver(requests_file, tmp_path):
    """Runs the requests file and reads of the final state through testclient-driver
    against a fresh start of the program; returns that state."""
    script = tmp_path / "replay.requests"
    reads = {"name": "7,%s,%s,,text," % (BOOK, NAME),
             "address": "7,%s,%s,,plainText," % (BOOK, ADDRESS),
             "name read-only": "7,%s,%s,,readOnly," % (BOOK, NAME),
             "address read-only": "7,%s,%s,,readOnly," % (BOOK, ADDRESS)}
    script.write_text(requests_file.read_text(encoding="utf-8") + "\n".join(
        reads.values()) + "\n", encoding="utf-8")
    run = subprocess.run(
        [os.path.join(BIN, "testclient-driver"), "--port", "4242", "--raw", str(script),
         "--", os.path.join(BIN, "testclient-run"), "--port", "4242", "--headless", "--",
         ADDRESS_BOOK], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    output = run.stdout.decode("utf-8", errors="replace")
    assert run.returncode == 0, output
    lines = output.splitlines()
    state = {}
    for key, request in reads.items():
        reply = lines[lines.index(">> " + request) + 1]
        status, payload = protocol.split_reply(reply.encode("utf-8"))
        assert status == "0", output
        state[key] = protocol.decode_value(payload)
    return state, output


def test_a_recorded_session_replays_from_both_files(xdotool, tmp_path):
    steps, state, _ = record_session()
    assert state == {"name": "Ada Lovelace", "address": "12 St James's Square",
                     "name read-only": True, "address read-only": True}
    described = [record.describe(s) for s in steps]
    kinds = [s.code for s in steps]
    assert kinds == [5, 6, 6, 5, 5], described
    assert steps[4].window != steps[3].window, described   # the message box's OK

    requests = record.write_requests(steps, tmp_path / "book.requests", [ADDRESS_BOOK])
    replayed, output = replay_with_driver(requests, tmp_path)
    assert replayed == state, output
    assert output.count("is there") == 2, output   # the book, then its message box

    generated = record.write_pytest(steps, tmp_path / "test_book.py", [ADDRESS_BOOK])
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider",
                          str(generated)], cwd=tmp_path, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=120)
    assert run.returncode == 0, run.stdout.decode("utf-8", errors="replace")

    # Where the program shows other than the value entered, the generated test fails:
    # here the recorded value differs instead of the program.
    changed = generated.read_text(encoding="utf-8").replace(
        "'Ada Lovelace')", "'Ada Byron')", 1)
    assert changed != generated.read_text(encoding="utf-8")
    (tmp_path / "test_changed.py").write_text(changed, encoding="utf-8")
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider",
                          "test_changed.py"], cwd=tmp_path, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=120)
    assert run.returncode == 1 and b"did not show 'Ada Byron'" in run.stdout, run.stdout


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
        until(lambda: any(line.startswith(start) for line in self.lines), timeout,
              "a line starting %r in %r" % (start, self.lines))
        return next(line for line in self.lines if line.startswith(start))


def test_the_command_prints_each_step_and_writes_the_files_on_ctrl_c(xdotool, tmp_path):
    steps, _, actions = record_session()
    command = [sys.executable, "-m", "testclient.record", "--xvfb",
               "--requests", str(tmp_path / "book.requests"),
               "--pytest", str(tmp_path / "test_book.py"), "--", ADDRESS_BOOK]
    recorder = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        output = Lines(recorder.stdout)
        started = output.wait_for("recording part2 (pid ")
        user = XInput(int(started.split("(pid ")[1].split(")")[0]))
        user.run("search", "--sync", "--onlyvisible", "--name", BOOK)
        # The same X input at the same places: the windows open where they did before.
        # Each step is printed once the next action has shown where the last one ended.
        for args in actions:
            user.run(*args)
        output.wait_for("step %d: " % len(steps))
        recorder.send_signal(signal.SIGINT)
        assert recorder.wait(30) == 0, output.lines
    finally:
        if recorder.poll() is None:
            recorder.kill()
            recorder.wait()
    output.thread.join(10)
    assert [line for line in output.lines if line.startswith("step ")] == \
        [record.describe(s, n) for n, s in enumerate(steps, 1)]
    assert "%d steps recorded" % len(steps) in output.lines
    assert (tmp_path / "book.requests").read_text(encoding="utf-8") == \
        record.requests_text(steps, [ADDRESS_BOOK])
    assert (tmp_path / "test_book.py").read_text(encoding="utf-8") == \
        record.pytest_text(steps, [ADDRESS_BOOK])


def test_the_command_keeps_the_steps_fetched_before_the_program_quit(xdotool, tmp_path):
    steps, _, actions = record_session()
    requests = tmp_path / "book.requests"
    recorder = subprocess.Popen([sys.executable, "-m", "testclient.record", "--xvfb",
                                 "--requests", str(requests), "--", ADDRESS_BOOK],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        output = Lines(recorder.stdout)
        started = output.wait_for("recording part2 (pid ")
        pid = int(started.split("(pid ")[1].split(")")[0])
        user = XInput(pid)
        user.run("search", "--sync", "--onlyvisible", "--name", BOOK)
        user.run(*actions[0])                       # the click on Add
        output.wait_for("step 1: ")
        os.kill(pid, signal.SIGTERM)                # the program quits on its own
        assert recorder.wait(30) == 0, output.lines
    finally:
        if recorder.poll() is None:
            recorder.kill()
            recorder.wait()
    output.thread.join(10)
    assert "1 step recorded" in output.lines
    assert requests.read_text(encoding="utf-8") == \
        record.requests_text(steps[:1], [ADDRESS_BOOK])
