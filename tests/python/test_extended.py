"""The extended mode end to end, in Qt's basic layouts example."""

import io
import os
import struct
import subprocess
import sys

import pytest
from conftest import need_qt5_examples

from testclient import errors

EXAMPLES = "/usr/lib/x86_64-linux-gnu/qt5/examples/widgets"
BASIC_LAYOUTS = os.path.join(EXAMPLES, "layouts/basiclayouts/basiclayouts")


def start(driver, program, title, extended=True):
    need_qt5_examples(program)
    app = driver.launch([program], extended=extended)
    assert app.extended is extended
    return app.wait_for_window(title)


@pytest.fixture
def layouts(driver, launcher):
    """A grid group of labelled line edits beside a text edit; a form group whose labels
    (one with a comma) name a line edit, a combo box and a spin box."""
    return start(driver, BASIC_LAYOUTS, "Basic Layouts")


def png_size(path):
    data = open(path, "rb").read()
    assert data.startswith(b"\x89PNG\r\n\x1a\n") and data[12:16] == b"IHDR"
    return struct.unpack(">II", data[16:24])


def test_texts_round_trip_through_typing_and_selectors(layouts):
    field = layouts.find("QGroupBox", text="Grid layout").find("QLineEdit", nth=2)
    for text in ["Russian (\u0440\u0443\u0441\u0441\u043a\u0438\u0439)", "it's 100%, a/b {x}",
                 "Gr\u00f6\u00dfe \u6570\u636e", "%2C ''", "a//b ~x=y", " {QLabel} "]:
        field.enter(text)
        assert field.wait_for_prop("text", text) == text
        assert layouts.find("QLineEdit", text=text).prop("globalRect") == \
            field.prop("globalRect")


def test_lookups_by_label_and_position_and_what_a_failed_one_says(layouts):
    assert layouts.find(label="Line 2, long text:").prop("className") == "QComboBox"
    # The form's own line edit is its child; the spin box's is a grandchild.
    form = layouts.find("QGroupBox", text="Form layout")
    assert form.child("QLineEdit").prop("objectName") == ""
    assert form.find("QLineEdit", nth=2).prop("objectName") == "qt_spinbox_lineedit"

    count = sum(w.class_name == "QLineEdit" for w in layouts.widgets())
    with pytest.raises(errors.WidgetAmbiguous) as ambiguous:
        layouts.find("QLineEdit").prop("text")
    assert str(ambiguous.value) == (
        "{QLineEdit} matched %d visible widgets in window 'Basic Layouts' "
        "(reply: 7,Widget ({QLineEdit}) visible,%d)" % (count, count))
    with pytest.raises(errors.WindowNotFound, match="^{QFileDialog} matched no visible"):
        layouts.app.window(cls="QFileDialog").tree()


def test_listings_and_screenshots(layouts, tmp_path):
    (entry,) = layouts.app.window_infos()
    assert (entry.class_name, entry.title, entry.window.check()) == \
        ("Dialog", "Basic Layouts", "Basic Layouts")
    widgets = layouts.widgets()
    origin = widgets[0].widget.prop("globalRect")  # the window's; geometry is relative to it
    for item in widgets:  # internal widgets (viewports, the spin box's editor) included
        rect = item.widget.prop("globalRect")
        assert (item.widget.prop("className"), rect.left - origin.left, rect.top - origin.top,
                rect.width, rect.height) == (item.class_name, item.geometry.left,
                                             item.geometry.top, item.geometry.width,
                                             item.geometry.height), item
    button = next(w for w in widgets if w.text == "Button 2")
    saved = button.widget.screenshot(str(tmp_path / "button.png"))
    assert png_size(saved) == (button.geometry.width, button.geometry.height)

    printed = io.StringIO()
    layouts.app.spy(file=printed)
    lines = printed.getvalue().splitlines()
    assert lines[0].startswith("window {Dialog}") and len(lines) == 2 + len(widgets)
    for line, item in zip(lines[2:], widgets):
        assert line.strip().startswith(item.class_name) and line.endswith(item.address)


def test_spy_starts_a_program(launcher):
    need_qt5_examples(BASIC_LAYOUTS)
    printed = subprocess.run([sys.executable, "-m", "testclient.spy", "--", BASIC_LAYOUTS],
                             capture_output=True, text=True, timeout=60)
    assert printed.returncode == 0 and "{QComboBox}" in printed.stdout, printed.stderr


def test_a_plain_agent_refuses_what_needs_the_extended_mode(driver, launcher):
    window = start(driver, BASIC_LAYOUTS, "Basic Layouts", extended=False)
    with pytest.raises(errors.TestClientError, match="extended mode"):
        window.find("QLineEdit")
    with pytest.raises(ValueError, match="extended mode"):
        window.widget("unnamed").enter("\u0440\u0443\u0441\u0441\u043a\u0438\u0439")
    with pytest.raises(errors.WidgetNotFound):  # a selector is an unknown name here
        window.widget("{QLineEdit nth=1}").prop("text")
    with pytest.raises(errors.TestClientError, match="extended mode"):
        window.press("Return")
