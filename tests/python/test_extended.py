"""The extended mode end to end: Qt's example programs driven by selectors, listings,
screenshots and UTF-8 text through the real agent."""

import io
import os
import struct
import subprocess
import sys

import pytest

from testclient import contains, errors

EXAMPLES = "/usr/lib/x86_64-linux-gnu/qt5/examples/widgets"
CALCULATOR = os.path.join(EXAMPLES, "widgets/calculator/calculator")
BASIC_LAYOUTS = os.path.join(EXAMPLES, "layouts/basiclayouts/basiclayouts")

# Texts that need every kind of quoting and escaping a selector knows.
AWKWARD = ["Russian (\u0440\u0443\u0441\u0441\u043a\u0438\u0439)", "it's 100%, a/b {x}",
           "Gr\u00f6\u00dfe \u6570\u636e", "%2C ''"]


def start(driver, program, **options):
    if not os.path.exists(program):
        pytest.skip("qtbase5-examples is not installed")
    app = driver.launch([program], **options)
    if not app.extended:
        app.close()
        pytest.fail("launch() started the agent without the extended mode")
    return app


@pytest.fixture
def calculator(driver, launcher):
    app = start(driver, CALCULATOR)
    yield app.wait_for_window(cls="Calculator")
    app.close()


@pytest.fixture
def layouts(driver, launcher):
    """Qt's basic layouts dialog: a grid group of three labelled line edits, a form group
    whose labels (one with a comma) name a line edit, a combo box and a spin box."""
    app = start(driver, BASIC_LAYOUTS)
    yield app.wait_for_window(title="Basic Layouts")
    app.close()


def png_size(data):
    assert data.startswith(b"\x89PNG\r\n\x1a\n") and data[12:16] == b"IHDR"
    return struct.unpack(">II", data[16:24])


def test_the_calculator_is_driven_by_what_its_buttons_show(calculator):
    display = calculator.find("QLineEdit")
    # "×" and "x²" travel as UTF-8, "Clear All" quoted, "1/x" with its '/' escaped.
    for label, shown in [("6", "6"), ("\u00d7", "6"), ("7", "7"), ("=", "42"),
                         ("Clear All", "0"), ("8", "8"), ("x\u00b2", "64"),
                         ("1/x", "0.015625")]:
        calculator.find("QToolButton", text=label).activate()
        display.wait_for_prop("text", shown)
    assert calculator.find(text=contains("Backsp")).prop("text") == "Backspace"


def test_texts_round_trip_through_typing_and_selectors(layouts):
    grid = layouts.find("QGroupBox", text="Grid layout")
    field = grid.find("QLineEdit", nth=2)
    for text in AWKWARD:
        field.enter(text)
        assert field.wait_for_prop("text", text) == text
        found = layouts.find("QLineEdit", text=text)
        assert found.prop("globalRect") == field.prop("globalRect")


def test_lookups_by_label_and_what_a_failed_one_says(layouts):
    assert layouts.find(label="Line 2, long text:").prop("className") == "QComboBox"
    assert layouts.find("QSpinBox", label="Line 3:").prop("value") == 0
    # The form's own line edit is its child; the spin box's is a grandchild.
    form = layouts.find("QGroupBox", text="Form layout")
    assert form.child("QLineEdit").prop("objectName") == ""
    assert form.find("QLineEdit", nth=2).prop("objectName") == "qt_spinbox_lineedit"

    # The grid's three, the form's one and the spin box's own.
    count = sum(w.class_name == "QLineEdit" for w in layouts.widgets())
    with pytest.raises(errors.WidgetAmbiguous) as ambiguous:
        layouts.find("QLineEdit").prop("text")
    assert str(ambiguous.value) == (
        "{QLineEdit} matched %d visible widgets in window {title='Basic Layouts'} "
        "(reply: 7,Widget ({QLineEdit}) visible,%d)" % (count, count))
    with pytest.raises(errors.WidgetNotFound) as missing:
        layouts.find("QPushButton", text="No such button").activate()
    assert str(missing.value).startswith(
        "{QPushButton text='No such button'} matched no widget in window")
    with pytest.raises(errors.WindowNotFound) as no_window:
        layouts.app.window(cls="QFileDialog").tree()
    assert str(no_window.value).startswith("{QFileDialog} matched no visible window")


def test_listings_give_addresses_that_find_each_widget(layouts):
    app = layouts.app
    (entry,) = app.window_infos()
    assert (entry.class_name, entry.title, entry.modal) == ("Dialog", "Basic Layouts", False)
    assert entry.window.check() == "Basic Layouts"
    assert app.window(cls="Dialog").check() == "Basic Layouts"

    widgets = layouts.widgets()
    assert {"QComboBox", "QSpinBox", "QTextEdit", "QMenuBar"} <= {w.class_name for w in widgets}
    # Internal widgets too (the spin box's line edit, the editors' viewports) have one.
    for item in widgets:
        found = item.widget
        assert found.prop("className") == item.class_name, item
        rect = found.prop("globalRect")
        assert (rect.width, rect.height) == (item.geometry.width, item.geometry.height), item


def test_screenshots_are_pngs_of_what_they_show(layouts, tmp_path):
    widgets = layouts.widgets()
    # The window's own entry has its size without the frame, which is what it paints.
    (window,) = [w for w in widgets if w.depth == 0]
    saved = layouts.screenshot(tmp_path / "window.png")
    assert png_size(open(saved, "rb").read()) == (window.geometry.width,
                                                  window.geometry.height)

    button = next(w for w in widgets if w.text == "Button 2")
    saved = button.widget.screenshot(str(tmp_path / "button.png"))
    assert saved == str(tmp_path / "button.png")
    assert png_size(open(saved, "rb").read()) == (button.geometry.width,
                                                  button.geometry.height)


def test_spy_prints_each_widget_with_its_address(layouts):
    printed = io.StringIO()
    layouts.app.spy(file=printed)
    lines = printed.getvalue().splitlines()
    assert lines[0].startswith("window ") and '"Basic Layouts"' in lines[0]
    widgets = layouts.widgets()
    assert len(lines) == 2 + len(widgets)  # window, column heads, one line per widget
    for line, item in zip(lines[2:], widgets):
        assert line.strip().startswith(item.class_name) and line.endswith(item.address)


def test_spy_starts_a_program_and_prints_it(launcher):
    if not os.path.exists(BASIC_LAYOUTS):
        pytest.skip("qtbase5-examples is not installed")
    printed = subprocess.run(
        [sys.executable, "-m", "testclient.spy", "--port", "4242", "--", BASIC_LAYOUTS],
        capture_output=True, text=True, timeout=60)
    assert printed.returncode == 0, printed.stderr
    assert '"Basic Layouts"' in printed.stdout and "QComboBox" in printed.stdout


def test_a_plain_agent_refuses_what_needs_the_extended_mode(driver, launcher):
    if not os.path.exists(BASIC_LAYOUTS):
        pytest.skip("qtbase5-examples is not installed")
    app = driver.launch([BASIC_LAYOUTS], extended=False)
    try:
        assert app.extended is False
        window = app.wait_for_window("Basic Layouts")
        with pytest.raises(errors.TestClientError, match="extended mode"):
            window.find("QLineEdit")
        with pytest.raises(errors.TestClientError, match="extended mode"):
            app.window(cls="Dialog")
        with pytest.raises(errors.CommandError):
            app.request("20")
        field = window.widget("{QLineEdit nth=1}")  # no selector here: an unknown name
        with pytest.raises(errors.WidgetNotFound):
            field.prop("text")
        with pytest.raises(ValueError, match="extended mode"):
            window.widget("unnamed").enter("\u0440\u0443\u0441\u0441\u043a\u0438\u0439")
    finally:
        app.close()
