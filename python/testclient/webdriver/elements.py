"""Element commands: what WebDriver does to one widget, as requests of the agent."""

from __future__ import annotations

import base64
from typing import Any, Dict, Optional

from ..protocol import Rect, Request, hex_value
from . import keys
from .session import Session
from .w3c import WebDriverError

# The properties that hold what a person reads on a widget, in the order they are asked.
TEXT_PROPERTIES = ("text", "plainText", "currentText", "title")
# Where a click lands when the proxy's own mouse grammar takes no position.
_CLICK = "MouseClick:LeftButton:0.5:0.5:"


def _optional_prop(session: Session, eid: str, name: str) -> Any:
    """A property's value, or None where the widget has no such property."""
    try:
        return session.prop(eid, name)
    except WebDriverError as error:
        if error.error == "invalid element state":  # the agent's "Unknown property"
            return None
        raise


def json_value(value: Any) -> Any:
    """A property value as JSON: rectangles as W3C rects, images as base64."""
    if isinstance(value, Rect):
        return {"x": value.left, "y": value.top, "width": value.width,
                "height": value.height}
    if isinstance(value, bytes):
        return base64.b64encode(value).decode("ascii")
    return value


def text(session: Session, eid: str) -> str:
    for name in TEXT_PROPERTIES:
        value = _optional_prop(session, eid, name)
        if isinstance(value, str):
            return value
    return ""


# The page source's attribute names that are not the Qt property's.
_ALIASES = {"name": "objectName", "class": "className", "focused": "focus"}


def attribute(session: Session, eid: str, name: str) -> Optional[str]:
    """A property as a string, as an HTML attribute reads: "true" or None for booleans."""
    value = _optional_prop(session, eid, _ALIASES.get(name, name))
    if value is None or value is False:
        return None
    if value is True:
        return "true"
    if isinstance(value, list):
        return "\n".join(str(v) for v in value)
    value = json_value(value)
    return value if isinstance(value, str) else str(value)


def prop(session: Session, eid: str, name: str) -> Any:
    return json_value(_optional_prop(session, eid, _ALIASES.get(name, name)))


def selected(session: Session, eid: str) -> bool:
    """A check box's or button's check state (false for a widget that cannot be checked).
    Items of views are no elements: their selection is the itemIsSelected pseudo property
    (the script "testclient: property")."""
    return bool(_optional_prop(session, eid, "checkable")) and bool(session.prop(eid, "checked"))


def click(session: Session, eid: str) -> None:
    """A left click in the middle, through the widget's proxy; one whose proxy takes clicks
    in its own grammar only (no position) is activated as a click activates it."""
    window, path = session.element(eid)
    try:
        session.request(Request.MOUSE, window, path, "", hex_value(_CLICK, True), "",
                        element=True)
    except WebDriverError as error:
        if "Invalid string value" not in error.message:
            raise
        session.request(Request.ACTIVATE, window, path, "", "", "", element=True)


def clear(session: Session, eid: str) -> None:
    window, path = session.element(eid)
    session.request(Request.ENTER, window, path, "", hex_value("", True), "", element=True)


def _current_text(session: Session, eid: str) -> str:
    for name in ("text", "plainText"):
        value = _optional_prop(session, eid, name)
        if isinstance(value, str):
            return value
    return ""


def _press(session: Session, eid: str, key_text: str) -> None:
    window, path = session.element(eid)
    session.request(Request.KEY, window, path, "", hex_value(key_text, True), "",
                    element=True)


def send_keys(session: Session, eid: str, typed: str) -> None:
    """Types text after what the widget holds, and presses each key code as a key.

    Into a widget without the focus, text before the first key code is entered after
    the widget's text (the agent enters any text, in any script); into the focus widget, and
    after a key code, it is typed at the caret key by key (Ctrl+A, then text, replaces),
    as a keyboard types it."""
    window, path = session.element(eid)
    try:
        steps = keys.split_keys(typed)
    except ValueError as error:
        raise WebDriverError("invalid argument", str(error)) from None
    pressed = bool(_optional_prop(session, eid, "focus"))
    for kind, value in steps:
        if kind == "press":
            _press(session, eid, value)
            pressed = True
            continue
        try:
            key_texts = keys.typed_as_keys(value) if pressed else None
        except ValueError:
            key_texts = None
        if key_texts is None:
            whole = _current_text(session, eid) + value
            session.request(Request.ENTER, window, path, "", hex_value(whole, True), "",
                            element=True)
        for key_text in key_texts or []:
            _press(session, eid, key_text)


def screenshot(session: Session, eid: str) -> str:
    window, path = session.element(eid)
    png = session.request(Request.GRAB, window, path, element=True)
    return base64.b64encode(png).decode("ascii")


def commands(session: Session, eid: str, command: str, body: Dict[str, Any]) -> Any:
    """Runs a GET or POST element command by its last path part(s)."""
    simple = {
        "text": lambda: text(session, eid),
        "rect": lambda: session.element_rect(eid),
        "enabled": lambda: bool(session.prop(eid, "enabled")),
        "displayed": lambda: bool(session.prop(eid, "visible")),
        "selected": lambda: selected(session, eid),
        "name": lambda: session.prop(eid, "className"),
        "screenshot": lambda: screenshot(session, eid),
        "click": lambda: click(session, eid),
        "clear": lambda: clear(session, eid),
    }
    if command in simple:
        return simple[command]()
    head, _, name = command.partition("/")
    if head == "attribute" and name:
        return attribute(session, eid, name)
    if head == "property" and name:
        return prop(session, eid, name)
    if head == "css" and name:
        raise WebDriverError("unsupported operation",
                             "CSS values have no meaning for a Qt widget: read its "
                             "properties instead")
    if head == "computedrole" or head == "computedlabel" or head == "shadow":
        raise WebDriverError("unsupported operation", "%s has no meaning for a Qt widget"
                             % head)
    raise WebDriverError("unknown command", "no element command %r" % command)
