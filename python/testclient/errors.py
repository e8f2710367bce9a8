"""Exceptions: one class per reply code, all deriving from TestClientError."""

from __future__ import annotations

import re
from typing import Optional


class TestClientError(Exception):
    """A failure reported by the agent or met while talking to it.

    ``code`` is the reply's status ("2" to "8"), ``text`` its message, ``request`` the
    request line that got it; str() reads like the reply itself, or, where the client
    could say more (a selector that failed), like ``description`` followed by the reply.
    """

    __test__ = False  # not a pytest test class, whatever its name says
    code: Optional[str] = None
    description: Optional[str] = None

    def __init__(self, text: str, request: Optional[str] = None,
                 code: Optional[str] = None) -> None:
        super().__init__(text)
        self.text = text
        self.request = request
        if code is not None:
            self.code = code

    def __str__(self) -> str:
        if self.description:
            return self.reply_text()
        return self.reply_text() + ("  (request: %s)" % self.request if self.request else "")

    def reply_text(self) -> str:
        """str() without the request line, whose values may be text typed into a password
        field: for messages that leave the test, such as a WebDriver server's."""
        head = "%s,%s" % (self.code, self.text) if self.code else self.text
        if self.description:
            return "%s (reply: %s)" % (self.description, head)
        return head


class WindowNotFound(TestClientError):
    code = "2"


class WindowAmbiguous(TestClientError):
    code = "3"


class WindowNotActive(TestClientError):
    code = "4"


class WidgetNotFound(TestClientError):
    code = "5"


class WidgetNotVisible(TestClientError):
    code = "6"


class WidgetAmbiguous(TestClientError):
    code = "7"


class CommandError(TestClientError):
    code = "8"


class ProtocolError(TestClientError):
    """A reply that is not a reply line."""


class AgentLost(TestClientError):
    """The agent's connection closed, or no reply came within the timeout."""


class LaunchError(TestClientError):
    """The application could not be started with the agent attached."""


class WaitTimeout(TestClientError):
    """A wait_for_* deadline passed; ``last`` holds the last error seen, if any."""

    def __init__(self, text: str, last: Optional[TestClientError] = None) -> None:
        super().__init__(text)
        self.last = last


_BY_CODE = {cls.code: cls for cls in (WindowNotFound, WindowAmbiguous, WindowNotActive,
                                      WidgetNotFound, WidgetNotVisible, WidgetAmbiguous,
                                      CommandError)}


def _count(text: str) -> Optional[int]:
    match = re.search(r"visible,(\d+)$", text)
    return int(match.group(1)) if match else None


def describe_lookup(error: TestClientError, window: str,
                    path: Optional[str] = None) -> TestClientError:
    """Gives a failed lookup by selector a description that names the selector and what
    it matched; other errors and plain names are left as the reply reads."""
    if isinstance(error, (WidgetNotFound, WidgetNotVisible, WidgetAmbiguous)) \
            and path and "{" in path:
        where = "in window " + (window if "{" in window else "'%s'" % window)
        if isinstance(error, WidgetNotFound):
            error.description = "%s matched no widget %s" % (path, where)
        elif isinstance(error, WidgetNotVisible):
            error.description = "%s matched only hidden widgets %s" % (path, where)
        else:
            error.description = "%s matched %s visible widgets %s" % (
                path, _count(error.text) or "several", where)
    elif isinstance(error, (WindowNotFound, WindowAmbiguous)) and "{" in window:
        if isinstance(error, WindowNotFound):
            error.description = "%s matched no visible window" % window
        else:
            error.description = "%s matched %s visible windows" % (
                window, _count(error.text) or "several")
    return error


def error_for(code: str, text: str, request: str) -> TestClientError:
    cls = _BY_CODE.get(code)
    if cls is None:
        return ProtocolError("unknown reply status %r: %s" % (code, text), request)
    return cls(text, request)
