"""The agent's line protocol: request fields, typed values, hex codecs and reply decoding.

A request is a code and comma-separated fields; no field may hold a comma or a line feed.
Values 1 and 2 of the activate (5), enter (6) and mouse (9) requests travel as typed values
("s:text", "b:true"/"b:false", "i:digits") whose bytes are hex-encoded: Latin-1 for a plain
agent, UTF-8 for one in the extended mode.

A reply is a status character, a comma and a payload. Status "0" is success with plain text
or a typed payload ("b:", "i:", "u:" hex of UTF-8, "r:x1,y1,x2,y2", "x:" hex of an XPM
image, "l:" entries each opened by a form feed, and in the extended mode "j:" JSON and "p:"
hex of a PNG image); "?" is the widget-under-cursor record; "2" to "8" are errors.
"""

from __future__ import annotations

import json
from collections import namedtuple
from dataclasses import dataclass, field
from enum import IntEnum
from typing import Any, Dict, List, Optional, Tuple, Union

from . import errors

FORM_FEED = "\x0c"

# What a typed value of requests 5, 6 and 9 is written from.
Value = Union[str, bool, int, None]
# What stands in messages for a secret's value.
SECRET_MASK = "********"


class Secret(str):
    """A text typed like any other, a password say, that no message, error or repr of the
    client shows: enter(Secret(os.environ["PASSWORD"]))."""

    def __repr__(self) -> str:
        return "Secret(%r)" % SECRET_MASK


def shown_field(value: Value, field: str) -> str:
    """A request's value field as messages show it: a secret's masked."""
    return SECRET_MASK if isinstance(value, Secret) else field


class Request(IntEnum):
    """The request codes, as the agent numbers them (20 and above: the extended mode)."""

    LIST_WINDOWS = 1
    WINDOW_TREE = 2
    WIDGET_AT_CURSOR = 3
    POINT_AT_WIDGET = 4
    ACTIVATE = 5
    ENTER = 6
    PROPERTY = 7
    CHECK_WINDOW = 8
    MOUSE = 9
    MOVE_WINDOW = 10
    RESIZE_WINDOW = 11
    TRAY_ICON_GEOMETRY = 12
    LIST_WINDOWS_EXTENDED = 20
    LIST_WIDGETS = 21
    GRAB = 22
    KEY = 23
    START_RECORDING = 24
    STOP_RECORDING = 25
    RECORDED_STEPS = 26


def request_line(code: Request, *fields: str) -> str:
    """A request line without its line feed: the code, then each field after a comma.

    The fields are written as given: check_field() them where they come from a caller."""
    return ",".join(["%d" % code] + list(fields))


class Rect(namedtuple("Rect", "left top right bottom")):
    """A rectangle as the agent reports it: right and bottom are inclusive."""

    __slots__ = ()

    @property
    def width(self) -> int:
        return self.right - self.left + 1

    @property
    def height(self) -> int:
        return self.bottom - self.top + 1

    @property
    def center(self) -> Tuple[int, int]:
        return (self.left + self.width // 2, self.top + self.height // 2)


WindowInfo = namedtuple("WindowInfo", "title class_name modal")
TreeEntry = namedtuple("TreeEntry", "depth visible class_name object_name")


class CursorRecord(namedtuple(
        "CursorRecord",
        "class_name listed visible path window_object_name window_title pid hook_version")):
    """The widget under the mouse cursor, with the address that later requests can use."""

    __slots__ = ()

    @property
    def window_name(self) -> str:
        """A window name that finds this record's window."""
        if self.window_object_name:
            return "Widget:" + self.window_object_name
        return self.window_title


def check_field(text: object, what: str) -> str:
    text = str(text)
    if "," in text or "\n" in text or "\r" in text:
        raise ValueError("%s %r cannot travel in a request: it holds a comma or a line break"
                         % (what, text))
    return text


def typed_value(value: Value) -> str:
    """The request notation of a Python value: str, bool, int or None."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "b:true" if value else "b:false"
    if isinstance(value, int):
        return "i:%d" % value
    if isinstance(value, str):
        return "s:" + value
    raise TypeError("values are str, bool, int or None, not %s" % type(value).__name__)


def hex_value(value: Value, utf8: bool = False) -> str:
    """A typed value hex-encoded for fields 4 and 5 of requests 5, 6 and 9.

    utf8: the agent runs in the extended mode and reads the value's bytes as UTF-8. A plain
    agent reads every byte as one Latin-1 character, so text beyond Latin-1 is refused here
    rather than arriving garbled.
    """
    text = typed_value(value)
    if utf8:
        return text.encode("utf-8").hex()
    try:
        return text.encode("latin-1").hex()
    except UnicodeEncodeError:
        raise ValueError("value %r has characters outside Latin-1, which a plain agent "
                         "cannot receive: launch the application in the extended mode "
                         "(launch(..., extended=True)) to send UTF-8" % (value,)) from None


def decode_text(data: bytes) -> str:
    """Reply text: UTF-8 where it is, Latin-1 (every byte a character) otherwise."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("latin-1")


def decode_title_hex(text: str) -> str:
    # The agent pads each UTF-16 unit to two digits only; titles in Latin-1 decode exactly.
    try:
        return bytes.fromhex(text).decode("latin-1")
    except ValueError:
        return text


def split_reply(line: bytes) -> Tuple[str, bytes]:
    """(status, payload bytes) of one reply line, or raises ProtocolError."""
    if len(line) < 2 or line[1:2] != b",":
        raise errors.ProtocolError("malformed reply %r" % line)
    return line[0:1].decode("latin-1"), line[2:]


def raise_for_status(status: str, payload: bytes, request: str) -> None:
    if status in ("0", "?"):
        return
    raise errors.error_for(status, decode_text(payload), request)


def decode_value(payload: bytes) -> Any:
    """The Python value of a success payload."""
    kind, rest = payload[:2], payload[2:]
    if kind == b"b:":
        return rest == b"true"
    if kind == b"i:":
        return int(rest)
    if kind == b"u:":
        return bytes.fromhex(rest.decode("ascii")).decode("utf-8", errors="replace")
    if kind == b"r:":
        return Rect(*(int(part) for part in rest.split(b",")))
    if kind == b"x:":
        return bytes.fromhex(rest.decode("ascii"))
    if kind == b"l:":
        return [decode_text(entry) for entry in rest.split(b"\x0c")[1:]]
    if kind == b"p:":
        return bytes.fromhex(rest.decode("ascii"))
    if kind == b"j:":
        return json.loads(rest.decode("utf-8"))
    return decode_text(payload)


def rect_of_geometry(geometry: List[int]) -> Rect:
    """The Rect of an [x, y, width, height] list of the extended mode's JSON replies."""
    x, y, width, height = geometry
    return Rect(x, y, x + width - 1, y + height - 1)


@dataclass
class WindowEntry:
    """A visible window as request 20 lists it; ``address`` is a window field that finds
    exactly this window, and ``window`` a Window on it."""

    class_name: str
    name: str
    title: str
    modal: bool
    active: bool
    geometry: Rect
    address: str
    app: Any = field(default=None, repr=False, compare=False)

    @property
    def window(self) -> Any:
        return self.app.window(self.address)


@dataclass
class WidgetEntry:
    """A visible widget as request 21 lists it; ``qt_class`` is the Qt class that
    class_name is or derives from, ``geometry`` is relative to its window, ``path`` the
    widget's name path, ``address`` the shortest path that resolves to exactly it, and
    ``widget`` a Widget on that address."""

    class_name: str
    qt_class: str
    name: str
    text: str
    geometry: Rect
    enabled: bool
    focus: bool
    depth: int
    path: str
    address: str
    window: Any = field(default=None, repr=False, compare=False)

    @property
    def widget(self) -> Any:
        return self.window.widget(self.address)


def parse_window_entries(listing: List[Dict[str, Any]], app: Any = None) -> List[WindowEntry]:
    """Request 20's JSON array to WindowEntry objects."""
    return [WindowEntry(item["class"], item["name"], item["title"], bool(item["modal"]),
                        bool(item["active"]), rect_of_geometry(item["geometry"]),
                        item["address"], app) for item in listing]


def parse_widget_entries(listing: List[Dict[str, Any]], window: Any = None) -> List[WidgetEntry]:
    """Request 21's JSON array to WidgetEntry objects."""
    return [WidgetEntry(item["class"], item.get("qtClass", item["class"]), item["name"],
                        item["text"],
                        rect_of_geometry(item["geometry"]), bool(item["enabled"]),
                        bool(item["focus"]), int(item["depth"]), item["path"],
                        item["address"], window) for item in listing]


def parse_window_entry(entry: str) -> WindowInfo:
    """'Class (M) : "title"' or 'Class : "title"' to a WindowInfo."""
    head, _, title = entry.partition(' : "')
    modal = head.endswith(" (M)")
    if modal:
        head = head[:-4]
    return WindowInfo(title[:-1] if title.endswith('"') else title, head, modal)


def parse_tree_entry(entry: str) -> TreeEntry:
    """'<depth> V|N <class> : "<objectName>"' to a TreeEntry."""
    depth, visible, rest = entry.split(" ", 2)
    class_name, _, name = rest.partition(' : "')
    return TreeEntry(int(depth), visible == "V", class_name,
                     name[:-1] if name.endswith('"') else name)


def parse_cursor_record(payload: bytes) -> Optional[CursorRecord]:
    fields = payload.split(b",")
    if len(fields) < 8 or not fields[0]:
        return None
    text = [decode_text(f) for f in fields]
    return CursorRecord(text[0], int(text[1]), int(text[2]), text[3], text[4],
                        decode_title_hex(text[5]), int(text[6]), int(text[7]))


@dataclass
class Step:
    """One recorded user action (request 26): the request code, the window field and
    widget path it happened at, and its typed values ("s:Ada", "b:true", "i:3"); a comment
    step (code 0) says what was done but not recorded, and replays nothing."""

    code: int
    window: str
    address: str
    values: List[str] = field(default_factory=list)
    # Text typed into a password field: the step carries no value, and the agent never
    # gives the password out.
    secret: bool = False
    comment: str = ""

    @property
    def is_comment(self) -> bool:
        return self.code == 0

    @property
    def request(self) -> str:
        """The request line that does the step again, values hex-encoded (UTF-8, as the
        extended mode reads them); "# " and the comment for a comment step."""
        if self.is_comment:
            return "# " + self.comment
        hexes = [value.encode("utf-8").hex() for value in self.values[:2]]
        hexes += [""] * (2 - len(hexes))
        return request_line(Request(self.code), self.window, self.address, "", *hexes)

    def value(self, index: int = 0) -> str:
        """A typed value of the step, "" where there is none."""
        return self.values[index] if index < len(self.values) else ""


def parse_steps(steps: List[Dict[str, Any]]) -> List[Step]:
    """Step objects from request 26's JSON array."""
    return [Step(int(s.get("code", 0)), s.get("window", ""), s.get("address", ""),
                 list(s.get("values", [])), bool(s.get("secret", False)),
                 s.get("comment", "")) for s in steps]
