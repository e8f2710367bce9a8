"""The recorder's writers and its following of a recording, without an agent."""

import io

import pytest

from testclient import errors, protocol, record
from testclient.protocol import Step


def step(code, window, address, first="", second=""):
    return Step(code, window, address, [v for v in (first, second) if v])


BOOK = "Simple Address Book"
STEPS = [
    step(5, BOOK, "{QPushButton text=Add}"),
    step(6, BOOK, "nameLine", "s:Ada, 100% {x}"),
    step(5, BOOK, "{QCheckBox text=Wrap}", "b:false"),
    step(5, "Add Successful", "{QPushButton text=OK}"),
    step(6, BOOK, "addressText", "s:London\nUK"),
    step(9, BOOK, "canvas", "s:MouseClick:LeftButton:0.25:0.5:"),
]


def test_steps_come_from_request_26_and_describe_themselves():
    (parsed,) = protocol.parse_steps([{"code": 6, "window": BOOK, "address": "nameLine",
                                       "values": ["s:Ada, 100% {x}"], "request": "ignored"}])
    assert parsed == STEPS[1]
    # The line is written from the fields, each value as hex of its UTF-8 bytes.
    assert parsed.request == "6,%s,nameLine,,%s," % (BOOK, "s:Ada, 100% {x}".encode().hex())
    assert step(5, "W", "tree", "s:a", "s:b").request == "5,W,tree,,733a61,733a62"
    assert [record.describe(s, n) for n, s in enumerate(STEPS, 1)] == [
        "step 1: click {QPushButton text=Add} in Simple Address Book",
        "step 2: enter 'Ada, 100% {x}' into nameLine in Simple Address Book",
        "step 3: uncheck {QCheckBox text=Wrap} in Simple Address Book",
        "step 4: click {QPushButton text=OK} in Add Successful",
        "step 5: enter 'London\\nUK' into addressText in Simple Address Book",
        "step 6: mouse MouseClick:LeftButton:0.25:0.5: on canvas in Simple Address Book"]
    assert record.describe(step(5, "Tabs", "tabs", "s:General")) == \
        "choose 'General' in tabs in Tabs"
    # A password: the agent marks the step and sends no value; it shows as a mask.
    (secret,) = protocol.parse_steps([{"code": 6, "window": "Login", "address": "pin",
                                       "values": [], "secret": True}])
    assert secret.secret and secret.request == "6,Login,pin,,,"
    assert record.describe(secret, 2) == "step 2: enter '********' into pin in Login"
    # What was done but not recorded stays a comment in both files, never a request.
    (missing,) = protocol.parse_steps([{"code": 0, "window": "Sheet", "address": "table",
                                        "comment": "not recorded: a Shift-click on 4:B of "
                                        "table, which extends the selection"}])
    assert record.describe(missing, 3) == "step 3: not recorded: a Shift-click on 4:B of " \
        "table, which extends the selection in Sheet"
    requests = record.requests_text([missing]).splitlines()
    assert "# step 1: not recorded: a Shift-click" in requests[-1]
    assert [line for line in requests if not line.startswith("#")] == [":patience 10",
                                                                         ":wait Sheet"]
    generated = record.pytest_text([missing], ["/bin/x"])
    assert "# step 1: not recorded" in generated and "table" not in generated.split(
        "# step 1")[1].split("\n", 1)[1]


def test_the_requests_file_waits_for_each_window_it_enters(tmp_path):
    path = record.write_requests(STEPS, tmp_path / "book.requests", ["/bin/book", "-x"])
    lines = path.read_text(encoding="utf-8").splitlines()
    assert lines[1] == "#   testclient-driver THIS_FILE -- testclient-run -- /bin/book -x"
    commands = [line for line in lines if not line.startswith("#")]
    # Each step waits for its widget, the first in a window for the window.
    assert commands == [":patience 10", ":wait " + BOOK, STEPS[0].request, STEPS[1].request,
                        STEPS[2].request, ":wait Add Successful", STEPS[3].request,
                        ":wait " + BOOK, STEPS[4].request, STEPS[5].request]
    # A comment above every request says what it does; the request line is one line.
    assert lines[lines.index(STEPS[1].request) - 1].startswith("# step 2: enter")
    assert all("\n" not in s.request for s in STEPS)


class FakeWidget:
    """A widget that shows the given properties, as wait_for_entered reads them."""

    def __init__(self, shown):
        self.path, self.shown = "field", shown

    def prop(self, name):
        if name not in self.shown:
            raise errors.CommandError("no property " + name)
        return self.shown[name]


def test_an_entered_value_is_read_back_and_a_number_from_the_value_or_the_text():
    # The generated test reads each value back: a program that shows another fails it.
    assert "wait_for_entered(window.widget('nameLine'), 'Ada, 100% {x}')" in \
        record.pytest_text(STEPS, ["/bin/book"])
    spin = FakeWidget({"value": 7, "text": "7 kg", "cleanText": "7"})
    assert record.wait_for_entered(spin, "7", timeout=0.1) == "cleanText"
    with pytest.raises(errors.WaitTimeout, match="it shows {'plainText': 'x'}"):
        record.wait_for_entered(FakeWidget({"plainText": "x"}), "y", timeout=0.1)


def test_following_a_recording_prints_each_step_once_it_settles():
    typing = step(6, BOOK, "nameLine", "s:Ad")

    class Recorded:
        def __init__(self):
            self.lists = [[], STEPS[:1], STEPS[:1] + [typing], STEPS[:2], STEPS[:3],
                          STEPS[:3] + [STEPS[4]]]

        def recorded_steps(self):
            return self.lists.pop(0)

    out = io.StringIO()
    following = record.Recording(Recorded(), out)
    printed = []
    for _ in range(6):
        following.poll()
        printed.append(len(out.getvalue().splitlines()))
    # Text being typed waits for the step after it; a finished list prints the rest.
    assert printed == [0, 1, 1, 1, 3, 3]
    following.finish()
    assert following.steps == STEPS[:3] + [STEPS[4]]
    assert out.getvalue().splitlines() == [
        record.describe(s, n) for n, s in enumerate(following.steps, 1)]


def test_typing_split_by_fetches_becomes_one_enter():
    split = [STEPS[0], step(6, BOOK, "nameLine", "s:Ad"), STEPS[1],
             step(6, BOOK, "other", "s:x"), step(6, BOOK, "nameLine", "s:A"), STEPS[1]]
    assert record.merge_enters(split) == [STEPS[0], STEPS[1], split[3], STEPS[1]]

    class Recorded:
        def recorded_steps(self):
            return split[:3]

    assert record.Recording(Recorded(), io.StringIO()).poll() == STEPS[:2]


def test_the_command_needs_a_program_and_a_screen(monkeypatch, capsys):
    with pytest.raises(SystemExit):
        record.main(["--requests", "x"])
    assert "give the program after --" in capsys.readouterr().err
    monkeypatch.delenv("DISPLAY", raising=False)
    monkeypatch.delenv("WAYLAND_DISPLAY", raising=False)
    with pytest.raises(SystemExit):
        record.main(["--", "/bin/true"])
    assert "use --xvfb" in capsys.readouterr().err
