"""Applications, windows and widgets as a test script sees them."""

import time

from . import errors, protocol
from .protocol import check_field, hex_value

POLL_INTERVAL = 0.02


def _wait(timeout, attempt, describe):
    """Calls attempt() until it returns without raising TestClientError, within timeout."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return attempt()
        except errors.AgentLost:
            raise
        except errors.TestClientError as error:
            if time.monotonic() >= deadline:
                raise errors.WaitTimeout("%s within %.1f s; last reply: %s"
                                         % (describe, timeout, error), last=error) from None
        time.sleep(POLL_INTERVAL)


class App:
    """One application with the agent attached, known by its process id."""

    def __init__(self, driver, connection, pid, hook_version, variant):
        self.driver = driver
        self.connection = connection
        self.pid = pid
        self.hook_version = hook_version
        self.variant = variant
        self.process = None  # set when the driver launched it

    def __repr__(self):
        return "<App pid %d %s>" % (self.pid, self.variant)

    @property
    def transcript(self):
        return self.connection.transcript

    def request(self, line):
        """Sends a raw request line; returns the decoded success value or raises."""
        reply = self.connection.request(line)
        status, payload = protocol.split_reply(reply)
        protocol.raise_for_status(status, payload, line)
        if status == "?":
            return protocol.parse_cursor_record(payload)
        return protocol.decode_value(payload)

    def windows(self):
        """The visible top-level windows: (title, class_name, modal) each."""
        return [protocol.parse_window_entry(e) for e in self.request("1")]

    def window(self, name):
        """A window by title prefix or "Widget:<objectName>"; looked up at each request."""
        return Window(self, check_field(name, "window name"))

    def wait_for_window(self, name, timeout=5.0):
        """The window once it exists (a modal dialog above it does not matter)."""
        window = self.window(name)

        def exists():
            try:
                window.check()
            except errors.WindowNotActive:
                pass
        _wait(timeout, exists, "window %r did not appear" % name)
        return window

    def widget_at_cursor(self):
        """The record of the widget under the mouse cursor, or None."""
        return self.request("3")

    def close(self):
        """Ends the connection; an application this driver launched is ended too."""
        self.connection.close()
        self.driver.apps.pop(self.pid, None)
        if self.process is not None:
            from .driver import stop_process_group
            stop_process_group(self.process)
            self.process = None


class Window:
    def __init__(self, app, name):
        self.app = app
        self.name = name

    def __repr__(self):
        return "<Window %r>" % self.name

    def tree(self):
        """Every widget of the window, depth first: (depth, visible, class_name, object_name)."""
        return [protocol.parse_tree_entry(e) for e in self.app.request("2," + self.name)]

    def check(self, mode="active"):
        """Checks the window and returns its title.

        mode "active": it must exist, be unique and not lie under another application's
        active popup or modal window (WindowNotActive otherwise); "exists": only the first
        two.
        """
        if mode not in ("active", "exists"):
            raise ValueError('mode is "active" or "exists", not %r' % mode)
        try:
            return self.app.request("8," + self.name)
        except errors.WindowNotActive:
            if mode == "exists":
                return None
            raise

    def move(self, x, y):
        return self.app.request("10,%s,%d,%d" % (self.name, x, y))

    def resize(self, width, height):
        return self.app.request("11,%s,%d,%d" % (self.name, width, height))

    def widget(self, path, class_hint=""):
        """A widget by path ("a/b", "dialog//ok"); resolved afresh at each request."""
        return Widget(self, check_field(path, "widget path"), check_field(class_hint, "class"))

    def wait_for_widget(self, path, timeout=5.0, class_hint=""):
        """The widget once exactly one visible widget matches the path."""
        widget = self.widget(path, class_hint)
        _wait(timeout, lambda: widget.prop("className"), "widget %r did not appear" % path)
        return widget


class Widget:
    def __init__(self, window, path, class_hint=""):
        self.window = window
        self.path = path
        self.class_hint = class_hint

    def __repr__(self):
        return "<Widget %r in %r>" % (self.path, self.window.name)

    def _action(self, code, first, second=None):
        line = "%d,%s,%s,%s,%s,%s" % (code, self.window.name, self.path, self.class_hint,
                                       hex_value(first), hex_value(second))
        return self.window.app.request(line)

    def activate(self, value=None, second=None):
        """Activates the widget (click a button, choose an item...); returns the proxy class."""
        return self._action(5, value, second)

    def enter(self, value):
        """Enters a value as a user would type or set it; returns the proxy class."""
        return self._action(6, value)

    def mouse(self, command):
        """A mouse command "type:button:x:y:modifier", e.g. "MouseClick:LeftButton:0.5:0.5:"."""
        return self._action(9, command)

    def prop(self, name, parameter=None):
        """A property's value: bool, int, str, Rect, list of str, or XPM image bytes."""
        line = "7,%s,%s,%s,%s,%s" % (self.window.name, self.path, self.class_hint,
                                     check_field(name, "property name"),
                                     "" if parameter is None
                                     else "s:" + check_field(parameter, "parameter"))
        return self.window.app.request(line)

    def props(self):
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

    def point_at(self):
        """Raises the widget and puts the mouse cursor on its top-left corner."""
        return self.window.app.request("4,%s,%s" % (self.window.name, self.path))

    def wait_for_prop(self, name, value, timeout=5.0):
        """Waits until the property reads value; returns it."""
        def equal():
            current = self.prop(name)
            if current != value:
                raise errors.TestClientError("%s is %r, not %r" % (name, current, value))
            return current
        return _wait(timeout, equal, "%s of %r did not become %r" % (name, self.path, value))
