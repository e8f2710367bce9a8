"""What a client sends to execute/sync.

Selenium's bindings send their own script atoms for is_displayed() and get_attribute(),
marked "/* isDisplayed */" and "/* getAttribute */" by some bindings and recognised by their
shape ("return (function ...).apply(null, arguments);" with one or two arguments) for the
others; they are answered natively. Beside them, a small set of commands:

    testclient: activate   [element, value?, second?]   request 5: choose an item path of a
                                                         list, tree, menu or combo box...
    testclient: enter      [element, value]             request 6
    testclient: press      [element or null, keys]      request 23 (null: the focus widget)
    testclient: property   [element, name, parameter]   request 7 with a parameter: an item's
                                                         itemIsSelected, itemData...
    testclient: request    [line]                       any request line; the reply's value
    testclient: widgets    []                           request 21 for the current window

Anything else is an unsupported operation: there is no JavaScript in a Qt program.
"""

from __future__ import annotations

from typing import Any, List, Optional

from ..protocol import Request, hex_value
from . import elements
from .session import Session
from .w3c import WebDriverError, argument, element_id

_ATOM_END = ").apply(null, arguments);"


def _element(session: Session, value: Any) -> str:
    eid = element_id(value)
    if eid is None:
        raise WebDriverError("invalid argument", "%r is no element reference" % (value,))
    session.element(eid)
    return eid


def _value(value: Any) -> Any:
    if value is None or isinstance(value, (str, bool, int)):
        return value
    raise WebDriverError("invalid argument", "values are strings, booleans or numbers")


def _atom(session: Session, script: str, args: List[Any]) -> Any:
    """The answer to a recognised atom, or NotImplemented."""
    stripped = script.strip()
    shaped = stripped.startswith("return (function") and stripped.endswith(_ATOM_END)
    if stripped.startswith("/* isDisplayed */") or (shaped and len(args) == 1):
        return bool(session.prop(_element(session, args[0]), "visible"))
    if stripped.startswith("/* getAttribute */") or (shaped and len(args) == 2):
        return elements.attribute(session, _element(session, args[0]), str(args[1]))
    return NotImplemented


def _action(session: Session, code: Request, args: List[Any]) -> Any:
    window, path = session.element(_element(session, args[0]))
    values = [hex_value(_value(v), True) for v in (list(args[1:3]) + [None, None])[:2]]
    return session.request(code, window, path, "", *values, element=True, typed=False)


def _press(session: Session, args: List[Any]) -> Any:
    if len(args) != 2 or not isinstance(args[1], str):
        raise WebDriverError("invalid argument", "press takes [element or null, keys]")
    window, path = (session.window, "") if args[0] is None \
        else session.element(_element(session, args[0]))
    return session.request(Request.KEY, window, path, "", hex_value(args[1], True), "",
                           element=args[0] is not None, typed=False)


def _raw(session: Session, args: List[Any]) -> Any:
    if len(args) != 1 or not isinstance(args[0], str) or "\n" in args[0]:
        raise WebDriverError("invalid argument", "request takes [one request line]")
    try:
        return elements.json_value(session.app.request(args[0]))
    except Exception as error:  # the agent's error reply, as its text
        raise WebDriverError("unknown error", str(error)) from None


def execute(session: Session, body: Any) -> Any:
    script = argument(body, "script", str)
    args: List[Any] = argument(body, "args", list, default=[], required=False)
    answer = _atom(session, script, args)
    if answer is not NotImplemented:
        return answer
    command: Optional[str] = script.strip() if script.strip().startswith("testclient:") \
        else None
    if command == "testclient: activate" and 1 <= len(args) <= 3:
        return _action(session, Request.ACTIVATE, args)
    if command == "testclient: enter" and len(args) == 2:
        return _action(session, Request.ENTER, args)
    if command == "testclient: press":
        return _press(session, args)
    if command == "testclient: property" and len(args) == 3:
        eid = _element(session, args[0])
        return elements.json_value(session.prop(eid, str(args[1]), "s:" + str(args[2])))
    if command == "testclient: request":
        return _raw(session, args)
    if command == "testclient: widgets":
        return session.request(Request.LIST_WIDGETS, session.window)
    if command is not None:
        raise WebDriverError("invalid argument", "unknown command or arguments: %s" % command)
    raise WebDriverError("unsupported operation", "a Qt program runs no JavaScript; "
                         "scripts are the testclient: commands alone")
