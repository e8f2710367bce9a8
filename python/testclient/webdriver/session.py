"""One WebDriver session: a program with the agent attached, its windows and the element
references handed out for its widgets.

A window handle stands for a window's address (request 20), an element reference for a
window address and a widget path that resolves to exactly that widget. Both are looked up
afresh at each command, so a reference whose widget is gone answers "stale element
reference" and a handle whose window closed "no such window".
"""

from __future__ import annotations

import json
import os
import re
import socket
import threading
import time
import uuid
from typing import Any, Callable, Dict, List, Optional, Tuple

from .. import errors
from ..driver import Driver
from ..protocol import Request, request_line
from . import pagesource
from .locators import XPATH, paths_for
from .w3c import ELEMENT_KEY, WebDriverError

POLL_INTERVAL = 0.05
# Appium's default: a session nobody sends a command to ends after a minute.
DEFAULT_NEW_COMMAND_TIMEOUT = 60.0


def free_port() -> int:
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return int(probe.getsockname()[1])


def lookup_error(error: errors.TestClientError, element: bool) -> WebDriverError:
    """The W3C error of an agent's reply; element: the command names an element
    reference, whose widget or window being gone makes it stale. The message leaves out
    the request line, which carries the text that send keys typed."""
    text = error.reply_text()
    if isinstance(error, errors.AgentLost):
        return WebDriverError("no such window", "the program has ended: " + text)
    if isinstance(error, (errors.WindowNotFound, errors.WindowAmbiguous)):
        return WebDriverError("stale element reference" if element else "no such window",
                              text)
    if isinstance(error, (errors.WidgetNotFound, errors.WidgetAmbiguous)):
        return WebDriverError("stale element reference" if element else "no such element",
                              text)
    if isinstance(error, (errors.WidgetNotVisible, errors.WindowNotActive)):
        return WebDriverError("element not interactable", text)
    if isinstance(error, errors.CommandError):
        return WebDriverError("invalid element state", text)
    return WebDriverError("unknown error", text)


def with_nth(path: str, nth: int) -> str:
    """The path whose last selector element also says nth=N."""
    if not path.endswith("}") or re.search(r"\bnth=\d+\}$", path):
        raise WebDriverError("invalid selector", "%r matches several widgets; a path of "
                             "names cannot tell them apart" % path)
    return path[:-1] + " nth=%d}" % nth


class Session:
    """A program driven through one agent connection; commands run one at a time."""

    def __init__(self, driver: Driver, app: Any, capabilities: Dict[str, Any],
                 new_command_timeout: float) -> None:
        self.id = uuid.uuid4().hex
        self.driver = driver
        self.app = app
        self.capabilities = capabilities
        self.lock = threading.RLock()
        self.timeouts = {"implicit": 0, "pageLoad": 300000, "script": 30000}
        self.new_command_timeout = new_command_timeout
        self.last_used = time.monotonic()
        self.handles: Dict[str, str] = {}  # handle -> window address
        self.current: Optional[str] = None
        self.elements: Dict[str, Tuple[str, str]] = {}  # id -> (window address, path)
        self.element_ids: Dict[Tuple[str, str], str] = {}
        self.input_state: Dict[str, Any] = {}  # the actions' pressed keys and pointer
        self.window_paths: Dict[str, str] = {}  # window address -> the window widget's path
        self.pages: Dict[str, Dict[str, Any]] = {}  # window address -> its page (_page)

    # The agent -------------------------------------------------------------------------
    def request(self, code: Request, *fields: str, element: bool = False,
                typed: bool = True) -> Any:
        try:
            return self.app.request(request_line(code, *fields), typed=typed)
        except errors.TestClientError as error:
            raise lookup_error(error, element) from None

    def end(self) -> None:
        try:
            self.app.close()
        finally:
            self.driver.close()

    # Windows ---------------------------------------------------------------------------
    def window_entries(self) -> List[Dict[str, Any]]:
        return list(self.request(Request.LIST_WINDOWS_EXTENDED))

    def handle_of(self, address: str) -> str:
        for handle, known in self.handles.items():
            if known == address:
                return handle
        handle = "w" + uuid.uuid4().hex[:12]
        self.handles[handle] = address
        return handle

    def window_handles(self) -> List[str]:
        return [self.handle_of(entry["address"]) for entry in self.window_entries()]

    def wait_for_window(self, timeout: float) -> None:
        """Makes the first window shown (the active one, if any) the current window."""
        deadline = time.monotonic() + timeout
        while True:
            entries = self.window_entries()
            if entries:
                active = [e for e in entries if e.get("active")] or entries
                self.current = self.handle_of(active[0]["address"])
                return
            if time.monotonic() > deadline:
                raise WebDriverError("session not created",
                                     "the program showed no window within %.0f s" % timeout)
            time.sleep(POLL_INTERVAL)

    def window_entry(self, handle: Optional[str] = None) -> Dict[str, Any]:
        """The listing entry of a window, by default the current one."""
        handle = handle or self.current
        address = self.handles.get(handle or "")
        for entry in self.window_entries():
            if entry["address"] == address:
                return entry
        raise WebDriverError("no such window", "window %s is closed" % handle)

    @property
    def window(self) -> str:
        """The current window's address, once it is known to be there."""
        return str(self.window_entry()["address"])

    # Elements --------------------------------------------------------------------------
    def reference(self, window: str, path: str) -> Dict[str, str]:
        key = (window, path)
        eid = self.element_ids.get(key)
        if eid is None:
            eid = uuid.uuid4().hex
            self.element_ids[key] = eid
            self.elements[eid] = key
        return {ELEMENT_KEY: eid}

    def element(self, eid: str) -> Tuple[str, str]:
        if eid not in self.elements:
            raise WebDriverError("no such element", "no element %r in this session" % eid)
        return self.elements[eid]

    def prop(self, eid: str, name: str, parameter: str = "") -> Any:
        window, path = self.element(eid)
        return self.request(Request.PROPERTY, window, path, "", name, parameter,
                            element=True)

    def matches(self, window: str, path: str) -> List[str]:
        """The paths of the visible widgets that path selects, one each."""
        try:
            self.app.request(request_line(Request.PROPERTY, window, path, "", "className", ""))
            return [path]
        except errors.WidgetAmbiguous as error:
            count = re.search(r"visible,(\d+)$", error.text)
            return [with_nth(path, n) for n in range(1, int(count.group(1)) + 1)] \
                if count else []
        except (errors.WidgetNotFound, errors.WidgetNotVisible):
            return []
        except errors.CommandError as error:
            raise WebDriverError("invalid selector", "%r: %s" % (path, error.text)) from None
        except errors.TestClientError as error:
            raise lookup_error(error, False) from None

    def _page(self, window: str) -> Dict[str, Any]:
        """What is made of the window's listing: its page source and its tree.

        The listing is asked for every time, and its reply compared, byte for byte, with
        the one they were made from: a page is a function of those bytes alone, so an
        unchanged window costs no JSON decoding, rendering or XML parsing (at 10,000
        widgets, over 80 % of a find by XPath)."""
        reply = self.request(Request.LIST_WIDGETS, window, typed=False)
        page = self.pages.get(window)
        if page is None or page["reply"] != reply:
            page = {"reply": reply,
                    "source": pagesource.render(json.loads(reply[2:]))}
            self.pages = {window: page}  # the current window's only: 2 MB at 10,000
        return page

    def page_source(self, window: str) -> str:
        return str(self._page(window)["source"])

    def page(self, window: str) -> Any:
        page = self._page(window)
        if "tree" not in page:
            page["tree"] = pagesource.parse(page["source"])
        return page["tree"]

    def window_path(self, window: str) -> str:
        """A widget path to the window itself (its own entry of the listing)."""
        if window not in self.window_paths:
            listing = self.request(Request.LIST_WIDGETS, window)
            if not listing:
                raise WebDriverError("no such window", "window %s shows nothing" % window)
            self.window_paths[window] = str(listing[0]["address"])
        return self.window_paths[window]

    def window_area(self, window: str, element: bool = False) -> Any:
        """The window's client area on the screen, a Rect."""
        return self.request(Request.PROPERTY, window, self.window_path(window), "",
                            "globalRect", "", element=element)

    def element_rect(self, eid: str) -> Dict[str, int]:
        """The widget's rectangle in its window's client area."""
        window, path = self.element(eid)
        own = self.request(Request.PROPERTY, window, path, "", "globalRect", "",
                           element=True)
        top = self.window_area(window, element=True)
        return {"x": own.left - top.left, "y": own.top - top.top,
                "width": own.width, "height": own.height}

    def _find_xpath(self, window: str, expression: str, within: Optional[str]) -> List[str]:
        root = self.page(window)
        context = None
        if within is not None:
            path = self.elements[within][1]
            context = pagesource.node_at(root, path, self.element_rect(within),
                                         self.prop(within, "className"))
            if context is None:
                raise WebDriverError("stale element reference",
                                     "the element is no longer shown")
        return [str(n.get("address")) for n in pagesource.xpath(root, expression, context)]

    def _find_once(self, using: str, value: str, within: Optional[str]) -> List[str]:
        if within is not None:
            window, base = self.element(within)
            self.prop(within, "className")  # a stale reference fails here
        else:
            window, base = self.window, ""
        if using == XPATH:
            return self._find_xpath(window, value, within)
        for path in paths_for(using, value):
            found = self.matches(window, base + "//" + path if base else path)
            if found:
                return found
        return []

    def find(self, using: str, value: str, within: Optional[str] = None,
             single: bool = True) -> Any:
        """Element references (one, or a list) of the widgets a locator finds, waiting up
        to the implicit timeout for the first."""
        deadline = time.monotonic() + self.timeouts["implicit"] / 1000.0
        while True:
            found = self._find_once(using, value, within)
            if found or time.monotonic() >= deadline:
                break
            time.sleep(POLL_INTERVAL)
        window = self.element(within)[0] if within is not None else self.window
        references = [self.reference(window, path) for path in found]
        if not single:
            return references
        if not references:
            raise WebDriverError("no such element", "no widget matches %s %r" % (using, value))
        return references[0]

    def touch(self) -> None:
        self.last_used = time.monotonic()

    def idle_too_long(self) -> bool:
        return 0 < self.new_command_timeout < time.monotonic() - self.last_used


def start(capabilities: Dict[str, Any], may_start: Callable[[str], bool]) -> Session:
    """Starts the program the capabilities name (or attaches to a running agent) and
    returns the session once its first window shows."""
    timeout = float(capabilities.get("testclient:launchTimeout", 30))
    idle = float(capabilities.get("appium:newCommandTimeout", DEFAULT_NEW_COMMAND_TIMEOUT))
    port = capabilities.get("testclient:port")
    try:
        if port is not None:
            driver = Driver(int(port))
            try:
                app = driver.wait_for_app(timeout=timeout)
            except errors.TestClientError:
                driver.close()
                raise
        else:
            driver, app = _launch(capabilities, may_start, timeout)
    except errors.TestClientError as error:
        raise WebDriverError("session not created", str(error)) from None
    session = Session(driver, app, capabilities, idle)
    try:
        session.wait_for_window(timeout)
    except WebDriverError:
        session.end()
        raise
    return session


def _launch(capabilities: Dict[str, Any], may_start: Callable[[str], bool],
            timeout: float) -> Tuple[Driver, Any]:
    program = capabilities.get("appium:app")
    if not isinstance(program, str) or not program:
        raise WebDriverError("session not created", "the capabilities name no program: "
                             "give appium:app, or testclient:port to attach")
    if not may_start(program):
        raise WebDriverError("session not created", "%s is not among the programs this "
                             "server may start (--allow)" % program)
    arguments = [str(a) for a in capabilities.get("appium:appArguments") or []]
    environment = {str(k): str(v)
                   for k, v in (capabilities.get("appium:environment") or {}).items()}
    cwd = capabilities.get("appium:appWorkingDir") or None
    if cwd is not None and not os.path.isdir(cwd):
        raise WebDriverError("session not created", "no folder %s" % cwd)
    for _ in range(5):  # a port another process took between the probe and the bind
        try:
            driver = Driver(free_port())
            break
        except errors.TestClientError:
            continue
    try:
        app = driver.launch([program] + arguments, env=environment, timeout=timeout,
                            xvfb=bool(capabilities.get("testclient:xvfb")),
                            headless=bool(capabilities.get("testclient:headless", True)),
                            screen=capabilities.get("testclient:screen"), cwd=cwd)
    except errors.TestClientError:
        driver.close()
        raise
    return driver, app
