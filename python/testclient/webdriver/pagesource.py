"""A window's widgets as XML (the page source) and XPath 1.0 over it.

The XML is built from the agent's widget listing (request 21): one element per visible
widget, nested as the widgets are, tag = the widget's class ("::" of a namespace written
"."), with the attributes class, qtClass, name (object name), text, enabled, visible,
focused, x, y, width, height (in the window) and address, the path that finds exactly that
widget. XPath results map back to live widgets through that address.
"""

from __future__ import annotations

import functools
import re
from typing import Any, Dict, List, Optional, Tuple

from lxml import etree  # type: ignore[import]

from .w3c import WebDriverError

_NAME_START = re.compile(r"[^A-Za-z_]")
_NAME_REST = re.compile(r"[^A-Za-z0-9_.-]")
# Attribute text: markup escaped, line breaks kept as references, and the characters that
# XML 1.0 cannot hold at all (most control characters) replaced.
_ESCAPES = {ord("&"): "&amp;", ord("<"): "&lt;", ord(">"): "&gt;", ord('"'): "&quot;",
            ord("\n"): "&#10;", ord("\r"): "&#13;", ord("\t"): "&#9;"}
_ESCAPES.update({c: "\ufffd" for c in list(range(0x20)) + [0xFFFE, 0xFFFF]
                 if c not in _ESCAPES})
_ROOT = "TestClientWindows"


@functools.lru_cache(maxsize=4096)
def tag_of(class_name: str) -> str:
    """A valid XML name for a class: "::" becomes ".", anything else odd "_"."""
    tag = _NAME_REST.sub("_", class_name.replace("::", "."))
    return tag if tag and not _NAME_START.match(tag[0]) else "_" + tag


def render(listing: List[Dict[str, Any]]) -> str:
    """The XML text of one window's listing (tree order, each with its depth), indented.

    Written as text in one pass rather than through an element tree: at 10,000 widgets
    building elements one by one costs several times what parsing the text does."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>']
    open_tags: List[Tuple[str, int]] = []  # tag, and the line that opens it

    def close() -> None:
        tag, line = open_tags.pop()
        if line == len(lines) - 1:  # no children: <tag .../>
            lines[line] = lines[line][:-1] + "/>"
        else:
            lines.append("  " * len(open_tags) + "</%s>" % tag)

    for item in listing:
        depth = min(int(item["depth"]), len(open_tags))
        while len(open_tags) > depth:
            close()
        x, y, width, height = item["geometry"]
        tag = tag_of(item["class"])
        lines.append('%s<%s class="%s" qtClass="%s" name="%s" text="%s" enabled="%s" '
                     'visible="true" focused="%s" x="%d" y="%d" width="%d" height="%d" '
                     'address="%s">' % (
                         "  " * depth, tag, item["class"].translate(_ESCAPES),
                         item.get("qtClass", "").translate(_ESCAPES),
                         item["name"].translate(_ESCAPES), item["text"].translate(_ESCAPES),
                         "true" if item["enabled"] else "false",
                         "true" if item["focus"] else "false", x, y, width, height,
                         item["address"].translate(_ESCAPES)))
        open_tags.append((tag, len(lines) - 1))
    while open_tags:
        close()
    if len(lines) == 1 or any(int(i["depth"]) == 0 for i in listing[1:]):
        # No widget, or several at the top: one root holds them.
        lines = [lines[0], "<%s>" % _ROOT] + lines[1:] + ["</%s>" % _ROOT]
    return "\n".join(lines) + "\n"


def parse(source: str) -> Any:
    """The element tree of a page source, for XPath."""
    return etree.fromstring(source.encode("utf-8"))


def xpath(root: Any, expression: str, context: Any = None) -> List[Any]:
    """The elements an XPath 1.0 expression selects, in document order.

    An expression that does not parse, or selects anything but elements, is an invalid
    selector."""
    try:
        result = (context if context is not None else root).xpath(expression)
    except etree.XPathError as error:
        raise WebDriverError("invalid selector",
                             "%r is no XPath 1.0 expression: %s" % (expression, error))
    if not isinstance(result, list) or not all(isinstance(n, etree._Element)
                                               for n in result):
        raise WebDriverError("invalid selector",
                             "XPath %r selects %r, not widgets" % (expression, result))
    return result


def node_at(root: Any, address: str,
            rect: Optional[Dict[str, int]] = None, class_name: str = "") -> Optional[Any]:
    """The element of a widget: by its address, else by its class and rectangle."""
    for node in root.iter():
        if node.get("address") == address:
            return node
    if rect is None:
        return None
    for node in root.iter():
        if node.get("class") == class_name and all(
                node.get(k) == str(rect[k]) for k in ("x", "y", "width", "height")):
            return node
    return None
