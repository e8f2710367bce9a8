"""Window commands: handles for every visible top-level window (dialogs and popups too),
switching, title, rectangle, closing, screenshots and the page source."""

from __future__ import annotations

import base64
from typing import Any, Dict, List

from ..protocol import Request, hex_value
from .session import Session
from .w3c import WebDriverError, argument


def switch(session: Session, body: Dict[str, Any]) -> None:
    handle = argument(body, "handle", str)
    if handle not in session.window_handles():
        raise WebDriverError("no such window", "no window %r" % handle)
    session.current = handle


def rect(session: Session) -> Dict[str, int]:
    x, y, width, height = session.window_entry()["geometry"]
    return {"x": x, "y": y, "width": width, "height": height}


def set_rect(session: Session, body: Dict[str, Any]) -> Dict[str, int]:
    window = session.window
    values = {}
    for key in ("x", "y", "width", "height"):
        value = body.get(key) if isinstance(body, dict) else None
        if value is not None and (isinstance(value, bool) or not isinstance(value, int)
                                  or (key in ("width", "height") and value < 0)):
            raise WebDriverError("invalid argument", "%s is no whole number: %r"
                                 % (key, value))
        values[key] = value
    if values["x"] is not None and values["y"] is not None:
        session.request(Request.MOVE_WINDOW, window, str(values["x"]), str(values["y"]))
    if values["width"] is not None and values["height"] is not None:
        # The rect is the frame's; the agent resizes what is inside it.
        frame = rect(session)
        inside = session.window_area(window)
        session.request(Request.RESIZE_WINDOW, window,
                        str(max(1, values["width"] - (frame["width"] - inside.width))),
                        str(max(1, values["height"] - (frame["height"] - inside.height))))
    return rect(session)


def close(session: Session) -> List[str]:
    """Closes the current window: a dialog is rejected with Escape; the program's last
    window ends the program, and the session with it. Returns the handles left."""
    entry = session.window_entry()
    handles = session.window_handles()
    if len(handles) == 1:
        session.end()
        return []
    if not entry.get("modal"):
        raise WebDriverError("unsupported operation",
                             "only a dialog or the last window can be closed: %s is "
                             "neither" % entry["address"])
    session.request(Request.KEY, entry["address"], "", "", hex_value("Escape", True), "")
    return [h for h in session.window_handles() if h != session.current]


def screenshot(session: Session) -> str:
    png = session.request(Request.GRAB, session.window, "")
    return base64.b64encode(png).decode("ascii")


def source(session: Session) -> str:
    return session.page_source(session.window)


def commands(session: Session, method: str, command: str, body: Any) -> Any:
    """The window commands by method and the path after the session id."""
    table = {
        ("GET", "window"): lambda: (session.window_entry(), session.current)[1],
        ("POST", "window"): lambda: switch(session, body),
        ("DELETE", "window"): lambda: close(session),
        ("GET", "window/handles"): lambda: session.window_handles(),
        ("GET", "window/rect"): lambda: rect(session),
        ("POST", "window/rect"): lambda: set_rect(session, body),
        ("GET", "title"): lambda: session.window_entry()["title"],
        ("GET", "screenshot"): lambda: screenshot(session),
        ("GET", "source"): lambda: source(session),
    }
    if (method, command) in table:
        return table[(method, command)]()
    if command in ("window/maximize", "window/minimize", "window/fullscreen"):
        raise WebDriverError("unsupported operation", "%s needs a window manager, which "
                             "the agent does not drive: set the window rect instead"
                             % command.split("/")[1])
    if command == "window/new":
        raise WebDriverError("unsupported operation", "a program opens its windows itself")
    return NotImplemented
