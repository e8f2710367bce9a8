"""Applications, windows and widgets as a test script sees them."""

from __future__ import annotations

import os
import sys
from typing import Any, Dict, List, Optional, TextIO, Tuple, Union

from . import errors, protocol
from .listing import format_app
from .protocol import Request, Value, check_field, hex_value, request_line, shown_field
from .selector import selector
from .waiting import retry

PathLike = Union[str, "os.PathLike[str]"]


def _address(address: Optional[str], cls: Optional[str], terms: Dict[str, Any],
             what: str) -> str:
    """A window field or path: the one given, or the selector of cls and terms."""
    if address is not None:
        if cls is not None or terms:
            raise ValueError("give a %s or selector terms, not both" % what)
        return check_field(address, what)
    return selector(cls, **terms)


def _write_png(path: PathLike, data: bytes) -> str:
    path = os.fspath(path)
    with open(path, "wb") as out:
        out.write(data)
    return path


class App:
    """One application with the agent attached, known by its process id.

    ``extended`` says whether its agent runs in the extended mode (the greeting's last
    word): selectors, UTF-8 values, widget listings and screenshots need it.
    """

    def __init__(self, driver: Any, connection: Any, pid: int, hook_version: int,
                 variant: str, extended: bool = False) -> None:
        self.driver = driver
        self.connection = connection
        self.pid = pid
        self.hook_version = hook_version
        self.variant = variant
        self.extended = extended
        # The launcher's Popen, with the log of its output, when the driver launched it.
        self.process: Any = None

    def __repr__(self) -> str:
        return "<App pid %d %s%s>" % (self.pid, self.variant,
                                      " extended" if self.extended else "")

    @property
    def transcript(self) -> List[Tuple[str, str]]:
        return self.connection.transcript

    def request(self, line: str, typed: bool = True, window: Optional[str] = None,
                path: Optional[str] = None, shown: Optional[str] = None) -> Any:
        """Sends a raw request line; returns the decoded success value or raises.

        typed=False keeps a success payload as text (a title or a class name is never a
        typed value, whatever its first letters); window and path, when given, let a
        failed selector lookup say which selector failed; shown is the line as an error
        shows it, when that must differ (a secret's value masked).
        """
        reply = self.connection.request(line)
        status, payload = protocol.split_reply(reply)
        try:
            protocol.raise_for_status(status, payload, shown or line)
        except errors.TestClientError as error:
            if window is not None:
                errors.describe_lookup(error, window, path)
            raise
        if status == "?":
            return protocol.parse_cursor_record(payload)
        return protocol.decode_value(payload) if typed else protocol.decode_text(payload)

    def require_extended(self, what: str) -> None:
        if not self.extended:
            raise errors.TestClientError(
                "%s needs the extended mode, and the agent of pid %d runs without it: "
                "launch the application with launch(..., extended=True)" % (what, self.pid))

    def windows(self) -> List[protocol.WindowInfo]:
        """The visible top-level windows: (title, class_name, modal) each."""
        return [protocol.parse_window_entry(e)
                for e in self.request(request_line(Request.LIST_WINDOWS))]

    def window_infos(self) -> List[protocol.WindowEntry]:
        """The visible windows with their object names, geometry and an address each
        (extended mode): WindowEntry objects, in the order that {nth=N} counts."""
        self.require_extended("listing windows with their addresses")
        return protocol.parse_window_entries(
            self.request(request_line(Request.LIST_WINDOWS_EXTENDED)), self)

    def window(self, address: Optional[str] = None, cls: Optional[str] = None,
               **terms: Any) -> Window:
        """A window, looked up afresh at each request.

        By a window field as the agent reads it (a title prefix, "Widget:<objectName>",
        or a selector written out), or, in the extended mode, by selector terms:
        window(cls="QFileDialog", title="Save As"), window(name="MainWindow"),
        window(nth=2).
        """
        field = _address(address, cls, terms, "window name")
        if address is None:
            self.require_extended("a window selector")
        return Window(self, field)

    def wait_for_window(self, address: Optional[str] = None, timeout: float = 5.0,
                        cls: Optional[str] = None, **terms: Any) -> Window:
        """The window once it exists (a modal dialog above it does not matter)."""
        return self.window(address, cls, **terms).wait(timeout)

    def widget_at_cursor(self) -> Optional[protocol.CursorRecord]:
        """The record of the widget under the mouse cursor, or None."""
        return self.request(request_line(Request.WIDGET_AT_CURSOR))

    def spy(self, file: Optional[TextIO] = None) -> None:
        """Prints every visible window's widgets, each with an address that works
        (extended mode), to file (standard output unless given)."""
        print(format_app(self), file=file or sys.stdout)

    def start_recording(self) -> str:
        """Starts recording what a person does in the application (extended mode): each
        action becomes a step that recorded_steps() returns. Starting again starts afresh."""
        self.require_extended("recording")
        return self.request(request_line(Request.START_RECORDING), typed=False)

    def stop_recording(self) -> str:
        """Stops recording; the steps so far stay readable."""
        self.require_extended("recording")
        return self.request(request_line(Request.STOP_RECORDING), typed=False)

    def recorded_steps(self) -> List[protocol.Step]:
        """The steps recorded so far, in order: Step objects (window, address, request)."""
        self.require_extended("recording")
        return protocol.parse_steps(self.request(request_line(Request.RECORDED_STEPS)))

    def output(self) -> str:
        """What an application this driver launched has written to its standard output and
        error so far (with the launcher's own lines); "" for one started otherwise."""
        log = getattr(self.process, "log", None)
        if log is None or log.closed:
            return ""
        # A reading of its own: the application writes through the same open file, and
        # moving that file's offset would move where its next line lands.
        try:
            with open("/proc/self/fd/%d" % log.fileno(), "rb") as reader:
                data = reader.read()
        except OSError:
            return ""
        return data.decode("utf-8", errors="replace")

    def close(self) -> None:
        """Ends the connection; an application this driver launched is ended too."""
        self.connection.close()
        self.driver.release(self)


class Window:
    """A window of an App, by the window field that finds it."""

    def __init__(self, app: App, name: str) -> None:
        self.app = app
        self.name = name

    def __repr__(self) -> str:
        return "<Window %r>" % self.name

    def _request(self, line: str, typed: bool = True, path: Optional[str] = None,
                 shown: Optional[str] = None) -> Any:
        return self.app.request(line, typed, window=self.name, path=path, shown=shown)

    def tree(self) -> List[protocol.TreeEntry]:
        """Every widget of the window, depth first: (depth, visible, class_name, object_name)."""
        return [protocol.parse_tree_entry(e)
                for e in self._request(request_line(Request.WINDOW_TREE, self.name))]

    def widgets(self) -> List[protocol.WidgetEntry]:
        """The window's visible widgets in tree order (extended mode): WidgetEntry
        objects, each with an address that finds exactly it and a .widget on it."""
        self.app.require_extended("listing widgets with their addresses")
        return protocol.parse_widget_entries(
            self._request(request_line(Request.LIST_WIDGETS, self.name)), self)

    def check(self, mode: str = "active") -> Optional[str]:
        """Checks the window and returns its title.

        mode "active": it must exist, be unique and not lie under another application's
        active popup or modal window (WindowNotActive otherwise); "exists": only the first
        two.
        """
        if mode not in ("active", "exists"):
            raise ValueError('mode is "active" or "exists", not %r' % mode)
        try:
            return self._request(request_line(Request.CHECK_WINDOW, self.name), typed=False)
        except errors.WindowNotActive:
            if mode == "exists":
                return None
            raise

    def wait(self, timeout: float = 5.0) -> Window:
        """Waits until the window exists; returns it."""
        def exists() -> None:
            try:
                self.check()
            except errors.WindowNotActive:
                pass
        retry(exists, timeout, "window %r did not appear" % self.name)
        return self

    def move(self, x: int, y: int) -> Any:
        """Moves the window's top-left corner to x, y on the screen."""
        return self._request(request_line(Request.MOVE_WINDOW, self.name, "%d" % x, "%d" % y))

    def resize(self, width: int, height: int) -> Any:
        """Resizes the window."""
        return self._request(request_line(Request.RESIZE_WINDOW, self.name,
                                          "%d" % width, "%d" % height))

    def screenshot(self, path: PathLike) -> str:
        """Saves the window as the application paints it to a PNG file (extended mode);
        returns the path."""
        return _write_png(path, _grab(self, ""))

    def press(self, keys: str) -> str:
        """Presses keys on whatever has the focus in the window (extended mode); returns
        the class of the widget that had it. See Widget.press."""
        return _press(self, "", "", keys)

    def widget(self, path: str, class_hint: str = "") -> Widget:
        """A widget by path ("a/b", "dialog//ok", "{QPushButton text=OK}"); resolved
        afresh at each request."""
        return Widget(self, check_field(path, "widget path"), check_field(class_hint, "class"))

    def find(self, cls: Optional[str] = None, **terms: Any) -> Widget:
        """A widget by selector (extended mode), anywhere in the window:
        find("QPushButton", text="OK"), find("QLineEdit", label="Name:", nth=1)."""
        self.app.require_extended("a widget selector")
        return Widget(self, selector(cls, **terms))

    def wait_for_widget(self, path: str, timeout: float = 5.0,
                        class_hint: str = "") -> Widget:
        """The widget once exactly one visible widget matches the path."""
        return self.widget(path, class_hint).wait(timeout)


def _grab(window: Window, path: str) -> bytes:
    window.app.require_extended("a screenshot through the agent")
    data = window._request(request_line(Request.GRAB, window.name, path), path=path)
    if not isinstance(data, bytes) or not data.startswith(b"\x89PNG"):
        raise errors.ProtocolError("request 22 answered no PNG image")
    return data


def _press(window: Window, path: str, class_hint: str, keys: str) -> str:
    window.app.require_extended("pressing keys")
    if not isinstance(keys, str):
        raise TypeError("keys are a str such as \"Ctrl+S\", not %s" % type(keys).__name__)
    line = request_line(Request.KEY, window.name, path, class_hint, hex_value(keys, True), "")
    return window._request(line, typed=False, path=path)


class Widget:
    """A widget of a Window, by its path (names, selectors or both); looked up afresh at
    each request."""

    def __init__(self, window: Window, path: str, class_hint: str = "") -> None:
        self.window = window
        self.path = path
        self.class_hint = class_hint

    def __repr__(self) -> str:
        return "<Widget %r in %r>" % (self.path, self.window.name)

    def _request(self, line: str, typed: bool = True, shown: Optional[str] = None) -> Any:
        return self.window._request(line, typed, path=self.path, shown=shown)

    def _action(self, code: Request, first: Value, second: Value = None) -> str:
        utf8 = self.window.app.extended
        fields = [hex_value(first, utf8), hex_value(second, utf8)]
        line = request_line(code, self.window.name, self.path, self.class_hint, *fields)
        shown = request_line(code, self.window.name, self.path, self.class_hint,
                             shown_field(first, fields[0]), shown_field(second, fields[1]))
        return self._request(line, typed=False, shown=shown)

    def find(self, cls: Optional[str] = None, **terms: Any) -> Widget:
        """A widget by selector anywhere below this one (extended mode)."""
        self.window.app.require_extended("a widget selector")
        return Widget(self.window, self.path + "//" + selector(cls, **terms))

    def child(self, cls: Optional[str] = None, **terms: Any) -> Widget:
        """A direct child of this widget by selector (extended mode)."""
        self.window.app.require_extended("a widget selector")
        return Widget(self.window, self.path + "/" + selector(cls, **terms))

    def activate(self, value: Value = None, second: Value = None) -> str:
        """Activates the widget (click a button, choose an item...); returns the proxy class."""
        return self._action(Request.ACTIVATE, value, second)

    def enter(self, value: Value) -> str:
        """Enters a value as a user would type or set it; returns the proxy class."""
        return self._action(Request.ENTER, value)

    def press(self, keys: str) -> str:
        """Presses keys on the widget (extended mode), which first gets the focus if it
        has not: Qt's portable key text, "Return", "F5", "Ctrl+S", "Shift+Tab", several
        as "Tab, Space". A key that a shortcut takes has arrived. Returns the proxy class."""
        return _press(self.window, self.path, self.class_hint, keys)

    def mouse(self, command: str) -> str:
        """A mouse command "type:button:x:y:modifier", e.g. "MouseClick:LeftButton:0.5:0.5:"."""
        return self._action(Request.MOUSE, command)

    def prop(self, name: str, parameter: Optional[str] = None) -> Any:
        """A property's value: bool, int, str, Rect, list of str, or XPM image bytes."""
        line = request_line(Request.PROPERTY, self.window.name, self.path, self.class_hint,
                            check_field(name, "property name"),
                            "" if parameter is None
                            else "s:" + check_field(parameter, "parameter"))
        return self._request(line)

    def props(self) -> Dict[str, Any]:
        """Every Qt and pseudo property by name, with its value.

        Properties whose type the agent cannot report, and pseudo properties that need a
        parameter, are left out.
        """
        names = list(self.prop("propertyNames"))
        names += [n for n in self.prop("pseudoPropertyNames") if n not in names]
        values = {}
        for name in names:
            try:
                values[name] = self.prop(name)
            except errors.CommandError:
                pass
        return values

    def point_at(self) -> Any:
        """Raises the widget and puts the mouse cursor on its top-left corner."""
        return self._request(request_line(Request.POINT_AT_WIDGET, self.window.name, self.path))

    def screenshot(self, path: PathLike) -> str:
        """Saves the widget as the application paints it to a PNG file (extended mode);
        returns the path."""
        return _write_png(path, _grab(self.window, self.path))

    def wait(self, timeout: float = 5.0) -> Widget:
        """Waits until exactly one visible widget matches this widget's path; returns it."""
        retry(lambda: self.prop("className"), timeout, "widget %r did not appear" % self.path)
        return self

    def wait_for_prop(self, name: str, value: Any, timeout: float = 5.0,
                      parameter: Optional[str] = None) -> Any:
        """Waits until the property (of the item parameter names) reads value; returns it."""
        def equal() -> Any:
            current = self.prop(name, parameter)
            if current != value:
                raise errors.TestClientError("%s is %r, not %r" % (name, current, value))
            return current
        return retry(equal, timeout, "%s of %r did not become %r" % (name, self.path, value))
