"""The client against the real agent, inside the gallery host."""

import os
import signal
import time

import pytest

from testclient import Secret, errors, wait_until


def test_drive_and_read_back(gallery):
    main = gallery.wait_for_window("TestClient")
    name = main.widget("nameEdit")
    assert name.enter("Ada Lovelace") == "QLineEdit"
    main.widget("greetButton").activate()
    label = main.widget("greetingLabel")
    assert label.wait_for_prop("text", "Hello, Ada Lovelace!") == "Hello, Ada Lovelace!"
    assert name.props()["text"] == "Ada Lovelace"


def test_widget_under_the_cursor_names_an_address_that_works(gallery):
    main = gallery.wait_for_window("TestClient")
    main.widget("greetButton").point_at()
    record = gallery.widget_at_cursor()
    assert record.class_name == "QPushButton"
    again = gallery.window(record.window_name).widget(record.path)
    assert again.prop("objectName") == "greetButton"


def test_failures_read_like_the_reply(gallery):
    main = gallery.wait_for_window("TestClient")
    with pytest.raises(errors.WidgetNotFound) as missing:
        main.widget("noSuchWidget").prop("text")
    assert missing.value.code == "5"
    assert missing.value.text == "Widget (noSuchWidget) not found"
    with pytest.raises(errors.WindowNotFound):
        gallery.window("No such window").tree()
    with pytest.raises(errors.CommandError) as disabled:
        main.widget("disabledButton").activate()
    assert "is disabled" in disabled.value.text
    with pytest.raises(errors.WaitTimeout) as waited:
        main.wait_for_widget("stillMissing", timeout=0.2)
    assert isinstance(waited.value.last, errors.WidgetNotFound)
    with pytest.raises(errors.WidgetNotFound) as secret:  # a password stays out of errors
        main.widget("noSuchField").enter(Secret("hunter2"))
    assert "(request: 6,TestClient,noSuchField,,********,)" in str(secret.value)
    assert "hunter2" not in repr(Secret("hunter2"))


def test_modal_dialog_is_waited_for_and_closed(gallery):
    main = gallery.wait_for_window("TestClient")
    main.widget("OpenDialog..._dialog_button").activate()
    dialog = gallery.wait_for_window("Confirm")
    with pytest.raises(errors.WindowNotActive):
        main.check()
    assert main.check("exists") is None
    dialog.widget("buttons/Ok_dialog_button").activate()
    wait_until(lambda: not any(w.title == "Confirm" for w in gallery.windows()),
               describe="the dialog did not close")
    assert main.check() == "TestClient Gallery"


def test_a_lost_agent_raises_at_once(gallery):
    main = gallery.wait_for_window("TestClient")
    os.kill(gallery.pid, signal.SIGKILL)
    gallery.host.wait(10)
    started = time.monotonic()
    with pytest.raises(errors.AgentLost):
        main.tree()
    with pytest.raises(errors.AgentLost):
        main.tree()
    assert time.monotonic() - started < 5
