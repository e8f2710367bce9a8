"""Recorded sessions on further programs, by X input under Xvfb: each replays through the
requests file and the generated pytest file to the state the session reached."""

import os

import pytest

from testclient import record, wait_until
from testclient.selector import selector

from test_record_e2e import (example, never_in_clear, recording, read_state, replays_to,  # noqa: F401
                             xdotool)

SHEET = "Spreadsheet"


def test_cells_edited_in_a_table_replay_and_an_extended_selection_is_a_comment(xdotool,
                                                                              tmp_path):
    spreadsheet = example("itemviews/spreadsheet/spreadsheet")
    reads = {cell: (SHEET, "{QTableWidget}", "itemText", cell)
             for cell in ("2:C", "3:E", "10:F")}
    with recording(spreadsheet, SHEET) as (app, window, user):
        table = window.widget("{QTableWidget}")
        # A double click opens the cell's editor; typing on a cell opens it with the key.
        x, y = table.prop("itemGlobalRect", "2:C").center
        user.run("mousemove", "--sync", str(x), str(y), "click", "--repeat", "2",
                 "--delay", "80", "1")
        wait_until(lambda: app.window(SHEET).widget("{QTableWidget}//{QLineEdit}").prop("visible"), 10,
                   "no cell editor opened")
        user.run("key", "ctrl+a")
        user.type("4000")
        user.run("key", "Return")
        table.wait_for_prop("itemText", "4000", parameter="2:C")
        user.click_item(table, "3:E")
        user.type("6")
        user.run("key", "Return")
        table.wait_for_prop("itemText", "6", parameter="3:E")
        user.run("keydown", "shift")
        user.click_item(table, "5:F")
        user.run("keyup", "shift")
        state = read_state(app, reads)
        steps = app.recorded_steps()
    described = [record.describe(s) for s in steps]
    assert state["2:C"] == "4000" and state["3:E"] == "6", state
    # Each edit is the cell made current, then the table's enter; never the editor.
    assert [(s.code, s.value()) for s in steps if s.code] == [
        (5, "s:2:C"), (6, "s:4000"), (5, "s:3:E"), (6, "s:6")], described
    assert all(s.address == "{QTableWidget}" for s in steps), described
    assert steps[-1].is_comment and "Shift-click on 5:F" in steps[-1].comment, described
    replays_to(steps, state, spreadsheet, reads, tmp_path)


def turn(user, widget, notches):
    """Turns the mouse wheel over the widget: up for positive notches, down for negative."""
    x, y = widget.prop("globalRect").center
    user.run("mousemove", "--sync", str(x), str(y), "click", "--repeat", str(abs(notches)),
             "--delay", "50", "4" if notches > 0 else "5")


def test_wheel_turns_on_a_spin_box_a_slider_and_a_combo_box_replay(xdotool, tmp_path):
    sliders = example("widgets/sliders/sliders")
    current = selector("QSpinBox", label="Current value:")
    reads = {"value": ("Sliders", current, "value"),
             "orientation": ("Sliders", "{QComboBox}", "currentText")}
    with recording(sliders, "Sliders") as (app, window, user):
        turn(user, window.widget(current), 3)
        window.widget(current).wait_for_prop("value", 8)
        turn(user, window.widget("{QSlider}"), 1)
        wait_until(lambda: window.widget(current).prop("value") != 8, 10, "the slider did not move")
        turn(user, window.widget("{QComboBox}"), -1)
        window.widget("{QComboBox}").wait_for_prop("currentText", "Vertical slider-like widgets")
        state = read_state(app, reads)
        steps = app.recorded_steps()
    described = [record.describe(s) for s in steps]
    assert [(s.code, s.value()) for s in steps] == [
        (6, "s:8"), (5, "i:%d" % state["value"]),
        (5, "s:Vertical slider-like widgets")], described
    replays_to(steps, state, sliders, reads, tmp_path)


def test_a_three_state_box_replays_to_the_state_it_reached(xdotool, tmp_path):
    boxes = example("widgets/groupbox/groupbox")
    tristate = "{QCheckBox text='Tri-state button'}"
    with recording(boxes, "Group Boxes") as (app, window, user):
        user.click(window.widget(tristate), left=8)
        window.widget(tristate).wait_for_prop("checked", True)
        steps = app.recorded_steps()
    assert [(s.code, s.value()) for s in steps] == [(5, "b:true")], steps
    reads = {"checked": ("Group Boxes", steps[0].address, "checked")}
    replays_to(steps, {"checked": True}, boxes, reads, tmp_path)


def test_shortcuts_that_open_and_close_windows_replay(xdotool, tmp_path, monkeypatch):
    monkeypatch.setenv("HOME", str(tmp_path))   # no window geometry of another run
    sdi = example("mainwindows/sdi/sdi")
    reads = {"text": ("{MainWindow}", "{QTextEdit}", "plainText")}
    with recording(sdi, "{MainWindow}") as (app, window, user):
        first = {w.title for w in app.window_infos()}
        user.click(window.widget("{QTextEdit}"))
        user.type("first")
        window.widget("{QTextEdit}").wait_for_prop("plainText", "first")
        user.run("key", "ctrl+n")
        wait_until(lambda: len(app.window_infos()) == 2, 10, "Ctrl+N opened no window")
        (title,) = {w.title for w in app.window_infos()} - first
        other = app.window(title.split(" - ")[0])
        user.click(other.widget("{QTextEdit}"))
        user.type("second")
        user.run("key", "Return")
        user.type("line")
        other.widget("{QTextEdit}").wait_for_prop("plainText", "second\nline")
        user.run("key", "ctrl+w")
        question = app.wait_for_window("SDI")
        user.click(question.widget("{QPushButton text=Discard}"))
        wait_until(lambda: len(app.window_infos()) == 1, 10, "the second window stayed")
        state = read_state(app, reads)
        steps = app.recorded_steps()
    described = [record.describe(s) for s in steps]
    assert state == {"text": "first"}
    assert [(s.code, s.value()) for s in steps if s.code != 5] == [
        (6, "s:first"), (23, "s:Ctrl+N"), (6, "s:second\nline"), (23, "s:Ctrl+W")], described
    assert steps[-1].code == 5 and steps[-1].window != steps[0].window, described
    replays_to(steps, state, sdi, reads, tmp_path)


def installed(program, package):
    if not os.path.exists(program):
        pytest.skip("%s is not installed (scripts/install-deps.sh installs it)" % package)
    return program


def test_keys_a_calculator_takes_as_shortcuts_are_steps(xdotool, tmp_path, monkeypatch):
    kcalc = installed("/usr/bin/kcalc", "kcalc")
    monkeypatch.setenv("HOME", str(tmp_path))   # no settings of another run
    reads = {"display": ("{KCalculator}", "calc_display", "accessibleName")}
    with recording(kcalc, "{KCalculator}") as (app, window, user):
        user.click(window.widget("pb7"))
        user.type("*6")     # Shift makes *, and is let go before the key
        user.run("key", "Return")
        window.widget("calc_display").wait_for_prop("accessibleName", "42")
        state = read_state(app, reads)
        steps = app.recorded_steps()
    assert [(s.code, s.values) for s in steps] == [
        (5, []), (23, ["s:*"]), (23, ["s:6"]), (23, ["s:Return"])], steps
    # The digit and operator keys are shortcuts of the calculator's buttons.
    replays_to(steps, state, kcalc, reads, tmp_path)


def test_a_shortcut_opening_a_wizard_and_its_masked_fields_replay(xdotool, tmp_path,
                                                                   monkeypatch):
    keepassxc = installed("/usr/bin/keepassxc", "keepassxc")
    monkeypatch.setenv("HOME", str(tmp_path))
    if "ASAN_OPTIONS" in os.environ:
        # Its Botan library frees with free() what it made with new, at load, before any code
        # of ours runs: AddressSanitizer would end the program there.
        monkeypatch.setenv("ASAN_OPTIONS",
                           os.environ["ASAN_OPTIONS"] + ":alloc_dealloc_mismatch=0")
    wizard, secret = "{NewDatabaseWizard}", "correct horse 7"
    with recording(keepassxc, "{MainWindow}") as (app, window, user):
        user.run("key", "ctrl+shift+n")     # the dialog it opens takes the key's release
        created = app.wait_for_window(wizard)
        user.click(created.widget("databaseName"))
        user.run("key", "ctrl+a")
        user.type("Vault")
        created.widget("databaseName").wait_for_prop("text", "Vault")
        for page in (1, 2):
            user.click(created.widget("__qt__passive_wizardbutton1"))
            created.widget(wizard).wait_for_prop("currentId", page)
        for field in ("enterPasswordEdit/passwordEdit", "repeatPasswordEdit/passwordEdit"):
            user.click(created.widget(field))
            user.type(secret)
            created.widget(field).wait_for_prop("text", secret)
        steps = app.recorded_steps()
    assert [(s.code, s.secret) for s in steps] == [
        (23, False), (6, False), (5, False), (5, False), (6, True), (6, True)], steps
    assert steps[0].values == ["s:Ctrl+Shift+N"], steps
    # The replay waits for each step's widget: the password page comes a second after the
    # click that leads to it.
    monkeypatch.setenv("TESTCLIENT_SECRET_1", secret)
    monkeypatch.setenv("TESTCLIENT_SECRET_2", secret)
    reads = {"page": (wizard, wizard, "currentId"),
             "entered": (wizard, "enterPasswordEdit/passwordEdit", "text"),
             "repeated": (wizard, "repeatPasswordEdit/passwordEdit", "text")}
    replays_to(steps, {"page": 2, "entered": secret, "repeated": secret}, keepassxc, reads,
               tmp_path)
    never_in_clear(secret, [record.requests_text(steps, [keepassxc]),
                            record.pytest_text(steps, [keepassxc]), repr(steps)] +
                   [record.describe(s, n) for n, s in enumerate(steps, 1)])
