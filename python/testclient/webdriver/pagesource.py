"""A window's widgets as XML (the page source) and XPath 1.0 over it.

The XML is built from the agent's widget listing (request 21): one element per visible
widget, nested as the widgets are, tag = the widget's class ("::" of a namespace written
"."), with the attributes class, qtClass, name (object name), text, enabled, visible,
focused, x, y, width, height (in the window) and address, the path that finds exactly that
widget. XPath results map back to live widgets through that address.
"""

from __future__ import annotations

import re
from typing import Any, Dict, List, Optional

from lxml import etree  # type: ignore[import]

from .w3c import WebDriverError

_NAME_START = re.compile(r"[^A-Za-z_]")
_NAME_REST = re.compile(r"[^A-Za-z0-9_.-]")
# Characters that XML 1.0 cannot hold at all: most control characters.
_NOT_XML = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]")


def tag_of(class_name: str) -> str:
    """A valid XML name for a class: "::" becomes ".", anything else odd "_"."""
    tag = _NAME_REST.sub("_", class_name.replace("::", "."))
    return tag if tag and not _NAME_START.match(tag[0]) else "_" + tag


def _text(value: Any) -> str:
    return _NOT_XML.sub("\ufffd", str(value))


def _bool(value: Any) -> str:
    return "true" if value else "false"


def build(listing: List[Dict[str, Any]]) -> etree._Element:
    """The XML tree of one window's listing (tree order, each with its depth)."""
    root: Optional[etree._Element] = None
    stack: List[etree._Element] = []
    for item in listing:
        x, y, width, height = item["geometry"]
        node = etree.Element(tag_of(item["class"]), {
            "class": _text(item["class"]), "qtClass": _text(item.get("qtClass", "")),
            "name": _text(item["name"]), "text": _text(item["text"]),
            "enabled": _bool(item["enabled"]), "visible": "true",
            "focused": _bool(item["focus"]), "x": str(x), "y": str(y),
            "width": str(width), "height": str(height), "address": _text(item["address"])})
        depth = int(item["depth"])
        del stack[depth:]
        if stack:
            stack[-1].append(node)
        elif root is None:
            root = node
        else:  # a second top: keep it beside the first under a common root
            holder = etree.Element("TestClientWindows")
            holder.append(root)
            root = holder
            stack = [holder]
            holder.append(node)
        stack.append(node)
    return root if root is not None else etree.Element("TestClientWindows")


def source(root: etree._Element) -> str:
    return etree.tostring(root, encoding="unicode", pretty_print=True)


def xpath(root: etree._Element, expression: str,
          context: Optional[etree._Element] = None) -> List[etree._Element]:
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


def node_at(root: etree._Element, address: str,
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
