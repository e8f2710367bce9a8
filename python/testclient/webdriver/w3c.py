"""W3C WebDriver errors: each error code with its HTTP status, and the JSON a client reads.

A failure is never answered with 200: Selenium's bindings take any other status's body for
an error, but a 200 for a success.
"""

from __future__ import annotations

import traceback
from typing import Any, Dict, Optional

# Error code -> HTTP status, as the W3C WebDriver recommendation assigns them.
STATUS = {
    "element click intercepted": 400,
    "element not interactable": 400,
    "invalid argument": 400,
    "invalid element state": 400,
    "invalid selector": 400,
    "invalid session id": 404,
    "javascript error": 500,
    "move target out of bounds": 500,
    "no such alert": 404,
    "no such cookie": 404,
    "no such element": 404,
    "no such frame": 404,
    "no such window": 404,
    "no such shadow root": 404,
    "script timeout": 500,
    "session not created": 500,
    "stale element reference": 404,
    "timeout": 500,
    "unable to capture screen": 500,
    "unknown command": 404,
    "unknown error": 500,
    "unknown method": 405,
    "unsupported operation": 500,
}

# The key under which an element reference travels in JSON.
ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf"
WINDOW_KEY = "window-fcc6-11e5-b4f8-330a88ab9d7f"


class WebDriverError(Exception):
    """A command's failure: a W3C error code and a message for the person reading it."""

    def __init__(self, error: str, message: str) -> None:
        assert error in STATUS, error
        super().__init__(message)
        self.error = error
        self.message = message

    @property
    def status(self) -> int:
        return STATUS[self.error]

    def body(self) -> Dict[str, Any]:
        return {"value": {"error": self.error, "message": self.message,
                          "stacktrace": "".join(traceback.format_tb(self.__traceback__))}}


def unsupported(what: str) -> WebDriverError:
    return WebDriverError("unsupported operation",
                          "%s has no meaning for a Qt Widgets program" % what)


def invalid_argument(message: str) -> WebDriverError:
    return WebDriverError("invalid argument", message)


def argument(body: Any, key: str, kind: Any, default: Any = None,
             required: bool = True) -> Any:
    """body[key] of the given type, or an invalid argument error naming the key."""
    if not isinstance(body, dict):
        raise invalid_argument("the request's body is no JSON object")
    if key not in body or body[key] is None:
        if required and default is None:
            raise invalid_argument("%r is missing" % key)
        return default
    value = body[key]
    if not isinstance(value, kind) or (kind is not bool and isinstance(value, bool)
                                       and bool not in (kind if isinstance(kind, tuple)
                                                        else (kind,))):
        raise invalid_argument("%r has the wrong type: %r" % (key, value))
    return value


def element_id(value: Any) -> Optional[str]:
    """The element id of an element reference, or None for any other value."""
    if isinstance(value, dict) and isinstance(value.get(ELEMENT_KEY), str):
        return value[ELEMENT_KEY]
    return None
