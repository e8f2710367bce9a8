"""W3C actions: a pointer (moves from the viewport, the pointer or an element; presses and
releases of its buttons) and keys (down, up), tick by tick, with pauses.

Points are in the current window's client area. The mouse goes through the agent as a
mouse command on the window at that point's fractions, so the press reaches the widget
under the point, with the agent's delivery checks. A key pressed while modifiers are down
is pressed as a chord on whatever has the focus in the window.
"""

from __future__ import annotations

import time
from typing import Any, Dict, Tuple

from ..protocol import Request, hex_value
from . import keys
from .session import Session
from .w3c import WebDriverError, element_id

_BUTTONS = {0: "LeftButton", 1: "MidButton", 2: "RightButton"}
_MODIFIERS = {"Shift": "ShiftModifier", "Ctrl": "ControlModifier", "Alt": "AltModifier"}
# A pause longer than this is a mistake rather than a wish.
_LONGEST_PAUSE = 60.0


def _state(session: Session) -> Dict[str, Any]:
    state = session.input_state
    state.setdefault("keys", [])
    state.setdefault("buttons", [])
    state.setdefault("pointer", (0, 0))
    return state


def _window_size(session: Session) -> Tuple[str, int, int]:
    window = session.window
    area = session.window_area(window)
    return window, area.width, area.height


def _mouse(session: Session, kind: str, button: str) -> None:
    state = _state(session)
    window, width, height = _window_size(session)
    x, y = state["pointer"]
    if not (0 <= x < width and 0 <= y < height):
        raise WebDriverError("move target out of bounds", "(%d, %d) lies outside the "
                             "window's %d x %d" % (x, y, width, height))
    held = [m for m in state["keys"] if m in _MODIFIERS]
    modifier = _MODIFIERS[held[0]] if held else ""
    command = "%s:%s:%.6f:%.6f:%s" % (kind, button, (x + 0.5) / width, (y + 0.5) / height,
                                      modifier)
    session.request(Request.MOUSE, window, session.window_path(window), "",
                    hex_value(command, True), "")


def _move(session: Session, action: Dict[str, Any]) -> None:
    state = _state(session)
    x, y = action.get("x", 0), action.get("y", 0)
    if not all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in (x, y)):
        raise WebDriverError("invalid argument", "x and y are numbers")
    origin = action.get("origin", "viewport")
    if origin == "pointer":
        base = state["pointer"]
    elif origin == "viewport":
        base = (0, 0)
    else:
        eid = element_id(origin)
        if eid is None:
            raise WebDriverError("invalid argument", "origin %r is no element" % (origin,))
        rect = session.element_rect(eid)
        base = (rect["x"] + rect["width"] // 2, rect["y"] + rect["height"] // 2)
    state["pointer"] = (int(base[0] + x), int(base[1] + y))
    button = state["buttons"][0] if state["buttons"] else "NoButton"
    _mouse(session, "MouseMove", button)


def _pointer(session: Session, action: Dict[str, Any]) -> None:
    state = _state(session)
    kind = action.get("type")
    if kind == "pointerMove":
        _move(session, action)
    elif kind in ("pointerDown", "pointerUp"):
        button = _BUTTONS.get(action.get("button", 0))
        if button is None:
            raise WebDriverError("invalid argument", "button %r" % action.get("button"))
        if kind == "pointerDown":
            _mouse(session, "MousePress", button)
            state["buttons"].append(button)
        elif button in state["buttons"]:
            _mouse(session, "MouseRelease", button)
            state["buttons"].remove(button)
    elif kind != "pointerCancel":
        raise WebDriverError("invalid argument", "pointer action %r" % kind)


def _key(session: Session, action: Dict[str, Any]) -> None:
    state = _state(session)
    value = action.get("value")
    if not isinstance(value, str) or len(value) != 1:
        raise WebDriverError("invalid argument", "a key action's value is one character")
    modifier = keys.MODIFIERS.get(value)
    if action.get("type") == "keyDown":
        if modifier is not None:
            if modifier not in state["keys"]:
                state["keys"].append(modifier)
            return
        name = keys.key_name(value)
        if name is None and keys.is_key_code(value):
            raise WebDriverError("invalid argument", "key U+%04X has no key here" % ord(value))
        session.request(Request.KEY, session.window, "", "",
                        hex_value(keys.chord(state["keys"], name or value), True), "")
    elif action.get("type") == "keyUp":
        if modifier in state["keys"]:
            state["keys"].remove(modifier)
    else:
        raise WebDriverError("invalid argument", "key action %r" % action.get("type"))


def perform(session: Session, body: Any) -> None:
    sources = body.get("actions") if isinstance(body, dict) else None
    if not isinstance(sources, list):
        raise WebDriverError("invalid argument", "actions is a list of input sources")
    ticks = max((len(s.get("actions") or []) for s in sources), default=0)
    for tick in range(ticks):
        pause = 0.0
        for source in sources:
            steps = source.get("actions") or []
            if tick >= len(steps):
                continue
            action = steps[tick]
            if action.get("type") == "pause":
                pause = max(pause, float(action.get("duration") or 0) / 1000.0)
            elif source.get("type") == "pointer":
                _pointer(session, action)
            elif source.get("type") == "key":
                _key(session, action)
            elif source.get("type") not in ("none", "wheel"):
                raise WebDriverError("invalid argument", "input source %r"
                                     % source.get("type"))
        if pause:
            time.sleep(min(pause, _LONGEST_PAUSE))


def release(session: Session) -> None:
    """Releases what the actions left pressed."""
    state = _state(session)
    for button in list(state["buttons"]):
        _mouse(session, "MouseRelease", button)
    state["buttons"] = []
    state["keys"] = []
