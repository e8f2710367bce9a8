"""Qt Quick items inside a Widgets program (extended mode): our quickhost, a main window with a
QQuickWidget panel of Qt Quick Controls 2, and a QQuickWindow beside it."""

import os

import pytest
from conftest import BIN

from testclient import contains, errors

QUICK_HOST = os.path.join(BIN, "quickhost")
INTERACTIVE = {"Button", "TextField", "CheckBox", "ComboBox", "ItemDelegate"}


@pytest.fixture
def panel(driver, launcher):
    if not os.path.exists(QUICK_HOST):
        pytest.skip("quickhost is not built")
    app = driver.launch([QUICK_HOST])
    return app.wait_for_window("Quick Panel")


def test_every_listed_control_has_an_address_that_finds_it(panel):
    entries = panel.widgets()
    host = next(e for e in entries if e.class_name == "QQuickWidget")
    items = [e for e in entries if e.class_name in INTERACTIVE]
    assert {e.class_name for e in items} == INTERACTIVE
    for entry in items:
        assert entry.depth > host.depth and entry.address.startswith(host.address + "/")
        assert entry.widget.prop("objectName") == entry.name
        rect = entry.widget.prop("globalRect")
        assert (rect.width, rect.height) == (entry.geometry.width, entry.geometry.height)
    assert [e.text for e in entries if e.class_name == "ItemDelegate"] == \
        ["Apple", "Banana", "Cherry", "Date"]


def test_typing_clicking_and_choosing_show_in_the_panel(panel):
    field = panel.find("TextField", label="Name:")
    field.enter("Ada Lovelace")
    assert field.prop("text") == "Ada Lovelace"
    field.press("Backspace, Backspace")
    assert field.prop("text") == "Ada Lovela"
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


def test_lookups_that_find_no_single_item_fail_as_for_widgets(panel):
    with pytest.raises(errors.WidgetNotFound):
        panel.find("Button", text="Nowhere").activate()
    with pytest.raises(errors.WidgetAmbiguous):
        panel.find("ItemDelegate", text=contains("a")).activate()
    with pytest.raises(errors.CommandError, match="no entry of ComboBox"):
        panel.find("ComboBox").activate("Purple")


def test_an_item_is_grabbed_at_its_size(panel, tmp_path):
    from test_extended import png_size
    button = panel.find("Button", text="Greet")
    rect = button.prop("globalRect")
    assert png_size(button.screenshot(tmp_path / "greet.png")) == (rect.width, rect.height)
