"""Qt Quick items inside a Widgets program (extended mode): our quickhost, a main window with a
QQuickWidget panel of Qt Quick Controls 2, and a QQuickWindow beside it."""

import os
import shutil

import pytest
from conftest import BIN, QT_MAJOR, need_qt5_examples

from testclient import contains, errors

QUICK_HOST = os.path.join(BIN, "quickhost")
INTERACTIVE = {"Button", "TextField", "CheckBox", "ComboBox", "ItemDelegate", "Switch",
               "RadioButton", "TabButton"}


@pytest.fixture
def app(driver, launcher):
    if not os.path.exists(QUICK_HOST):
        pytest.skip("quickhost is not built")
    return driver.launch([QUICK_HOST])


@pytest.fixture
def panel(app):
    return app.wait_for_window("Quick Panel")


@pytest.fixture
def window(app):
    return app.wait_for_window("Quick Window")


def checked_entries(window):
    """The window's listed interactive items, each checked to be found by its address."""
    entries = [e for e in window.widgets() if e.class_name in INTERACTIVE]
    for entry in entries:
        assert entry.widget.prop("objectName") == entry.name
        rect = entry.widget.prop("globalRect")
        assert (rect.width, rect.height) == (entry.geometry.width, entry.geometry.height)
    return entries


def test_every_listed_control_has_an_address_that_finds_it(panel, window):
    host = next(e for e in panel.widgets() if e.class_name == "QQuickWidget")
    items = checked_entries(panel)
    assert all(e.depth > host.depth and e.address.startswith(host.address + "/") for e in items)
    assert [e.text for e in items if e.class_name == "ItemDelegate"] == \
        ["Apple", "Banana", "Cherry", "Date"]
    items += checked_entries(window)
    assert {e.class_name for e in items} == INTERACTIVE


def test_the_quick_window_is_listed_and_addressed_as_a_window(app, window):
    assert 'QQuickView : "Quick Window"' in app.request("1")
    listed = [w for w in app.window_infos() if w.class_name == "QQuickView"]
    assert [(w.name, w.title, w.address) for w in listed] == \
        [("quickWindow", "Quick Window", "Widget:quickWindow")]
    for address in ["Widget:quickWindow", "{QQuickWindow}", "{Page}", "{name=quickWindow}"]:
        assert app.window(address).check() == "Quick Window"


def test_typing_clicking_and_choosing_show_in_the_panel(panel):
    field = panel.find("TextField", label="Name:")
    field.enter("Ada Lovelace")
    assert field.prop("text") == "Ada Lovelace"
    field.press("Backspace, Backspace")
    assert field.prop("text") == "Ada Lovela"
    field.mouse("MouseDoubleClick:LeftButton:0.05:0.5:NoModifier")
    assert field.prop("selectedText") == "Ada"
    panel.widget("quickPanel/greetButton").activate()
    panel.find("Label", name="greeting").wait_for_prop("text", "Hello, Ada Lovela")

    state = panel.widget("quickPanel/state")
    box = panel.find("CheckBox", text="Subscribe")
    for wanted in [True, True, False]:
        box.activate(wanted)
        assert box.prop("checked") is wanted
    panel.find("ComboBox").activate("Blue")
    panel.find("ListView").activate("Cherry")
    state.wait_for_prop("text", "not subscribed, Blue, Cherry")
    panel.find("ItemDelegate", text="Date").activate()
    state.wait_for_prop("text", "not subscribed, Blue, Date")


def test_switches_radios_tabs_and_a_modal_dialog_in_the_quick_window(window):
    summary = window.widget("summary")
    window.widget("wifi").mouse("MouseClick:LeftButton:0.2:0.5:NoModifier")
    window.find("RadioButton", text="Large").activate(True)
    window.widget("note").enter("Ada's note")
    assert window.widget("note").prop("text") == "Ada's note"
    window.find("Button", text="Open dialog").activate()
    # The dialog's overlay takes the click meant for the button under it.
    with pytest.raises(errors.CommandError, match="would reach Overlay"):
        window.find("Button", text="Open dialog").activate()
    window.press("Escape")  # on whatever has the focus in the window: the dialog
    summary.wait_for_prop("text", "wifi on, large, rejected")
    window.find("TabBar").activate("Advanced")
    window.widget("advancedPage").wait_for_prop("visible", True)


def test_lookups_that_find_no_single_item_fail_as_for_widgets(panel):
    with pytest.raises(errors.WidgetNotFound):
        panel.find("Button", text="Nowhere").activate()
    with pytest.raises(errors.WidgetAmbiguous):
        panel.find("ItemDelegate", text=contains("a")).activate()
    with pytest.raises(errors.CommandError, match="no entry of ComboBox"):
        panel.find("ComboBox").activate("Purple")


def test_items_and_the_quick_window_are_grabbed_at_their_size(panel, window, tmp_path):
    from test_extended import png_size
    button = panel.find("Button", text="Greet")
    rect = button.prop("globalRect")
    assert png_size(button.screenshot(tmp_path / "greet.png")) == (rect.width, rect.height)
    assert png_size(window.screenshot(tmp_path / "window.png")) == (400, 360)  # quickhost's size


PANEL_STATE = [("quickPanel/nameField", "text"), ("quickPanel/greeting", "text"),
               ("quickPanel/state", "text")]


def test_a_session_recorded_in_the_panel_replays(driver, launcher):
    """X input from xdotool into the panel under Xvfb becomes steps; a fresh start driven
    by their requests ends in the same state."""
    import shutil
    from test_record_e2e import XInput
    if not shutil.which("xdotool") or not os.path.exists(QUICK_HOST):
        pytest.skip("needs xdotool and quickhost")
    app = driver.launch([QUICK_HOST], xvfb=True)
    try:
        panel = app.wait_for_window("Quick Panel")
        panel.move(500, 0)  # from under the QQuickWindow, which X shows at the same place
        app.start_recording()
        user = XInput(app.pid)
        field = panel.widget("quickPanel/nameField")
        user.click(field)
        user.type("Ada")
        field.wait_for_prop("text", "Ada")
        user.click(panel.find("Button", text="Greet"))
        panel.widget("quickPanel/greeting").wait_for_prop("text", "Hello, Ada")
        user.click(panel.find("CheckBox", text="Subscribe"))
        panel.find("CheckBox").wait_for_prop("checked", True)
        state = [panel.widget(path).prop(name) for path, name in PANEL_STATE]
        steps = app.recorded_steps()
    finally:
        app.close()
    assert [s.code for s in steps] == [6, 5, 5], steps
    fresh = driver.launch([QUICK_HOST])
    panel = fresh.wait_for_window("Quick Panel")
    for step in steps:
        fresh.request(step.request, typed=False)
    assert [panel.widget(path).prop(name) for path, name in PANEL_STATE] == state


COMPARISON = ("/usr/lib/x86_64-linux-gnu/qt5/examples/quick/quickwidgets/"
              "qquickviewcomparison/qquickviewcomparison")


def test_qts_comparison_example_types_into_its_panel_and_sees_its_overlay(driver, launcher):
    """Qt's QQuickWidget example: a TextInput in a QQuickWidget, and a semi-transparent
    QLabel that a check box lays over it."""
    need_qt5_examples(COMPARISON)
    app = driver.launch([COMPARISON])
    window = app.wait_for_window("{QWidget}")  # untitled and unnamed
    edit = window.find("TextInput")
    edit.enter("Hello, Quick")
    assert edit.prop("text") == "Hello, Quick"
    edit.activate()
    window.find("QCheckBox", text="Show widget overlay").activate(True)
    with pytest.raises(errors.CommandError, match='is covered by widget "" of class "QLabel"'):
        edit.activate()


def test_knetwalk_board_in_a_quick_widget_beside_its_toolbar(driver, launcher, tmp_path):
    """KNetWalk (a KDE game, Qt 5): its board is a QQuickWidget in a widget main window. KDE
    programs quit without a session bus, which dbus-run-session gives them."""
    knetwalk = "/usr/games/knetwalk"
    if QT_MAJOR != 5 or not os.path.exists(knetwalk) or not shutil.which("dbus-run-session"):
        pytest.skip("needs Debian's knetwalk (a Qt 5 program) and dbus-run-session")
    app = driver.launch(["dbus-run-session", "--", knetwalk], env={"HOME": str(tmp_path)})
    window = app.window("{MainWindow}")
    window.resize(800, 700)  # its first size offscreen leaves the board a few pixels high
    cells = [e for e in window.widgets() if e.class_name == "Cell"]
    assert len(cells) == 25 and all(e.address.startswith("{GameView}/") for e in cells)
    # A selector's type key names the QML type, so the cells' own "type" is read instead.
    server = next(cell for cell in (window.widget(e.address) for e in cells)
                  if cell.prop("type") == "server")
    # A url property (the board's background image) reads as text.
    assert window.widget("{GameView}/{CanvasItem nth=1}").prop("source").startswith("image://")
    moves = window.find("QLabel", text=contains("Moves: "))
    count = int(moves.prop("text").split()[-1])
    server.activate()
    moves.wait_for_prop("text", "Moves: %d" % (count + 1))
    window.widget("game_pause_action_button").activate()
    window.find("Text", text="Paused").wait_for_prop("visible", True)
