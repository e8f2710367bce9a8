"""Locator strategies as the agent's selectors.

Each strategy but XPath becomes one or more paths of selector elements, tried in order
until one matches: the agent resolves them with its own rules (classes count their base
classes, texts are compared without mnemonic ampersands). The reading for Qt:

    id, css #x and [id="x"]           the object name
    name, css [name="x"]              the accessible name, else the visible text
    accessibility id                  the accessible name, else the object name
    class name, tag name, css .x, x   the class or any of its base classes
    link text, partial link text      the visible text, whole or a part
    css [prop="v"], [prop*="v"]       any Qt property, equal or containing
    css "a b", "a > b"                a descendant, a child
    -testclient selector              the agent's own paths and selectors, unchanged
"""

from __future__ import annotations

import re
from typing import List

from ..selector import write_value
from .w3c import WebDriverError

XPATH = "xpath"

_CSS_TOKEN = re.compile(r"""\s*(?:
      (?P<child>>)
    | (?P<tag>[A-Za-z_]\w*(?:::\w+)*|\*)
    | \#(?P<id>[\w:-]+)
    | \.(?P<cls>[A-Za-z_]\w*(?:::\w+)*)
    | \[\s*(?P<attr>[\w-]+)\s*(?:(?P<op>\*?=)\s*
          (?:"(?P<dq>(?:[^"\\]|\\.)*)"|'(?P<sq>(?:[^'\\]|\\.)*)'|(?P<bare>[\w.:-]+)))?\s*\]
    )""", re.X)


def _term(key: str, value: str, contains: bool = False) -> str:
    return key + ("~" if contains else "=") + write_value(value)


def _invalid(using: str, value: str, why: str) -> WebDriverError:
    return WebDriverError("invalid selector", "%s %r: %s" % (using, value, why))


def _css_paths(css: str) -> List[str]:
    """The paths a simple CSS selector reads as; for [name=...] two, tried in order."""
    elements: List[List[List[str]]] = []  # per compound, alternatives of terms
    joins: List[str] = []
    position, pending = 0, "//"
    css = css.strip()
    while position < len(css):
        if css[position].isspace() or css[position] == ">":
            match = re.compile(r"\s*>?\s*").match(css, position)
            assert match is not None
            pending = "/" if ">" in match.group(0) else "//"
            position = match.end()
            continue
        alternatives: List[List[str]] = [[]]
        kinds = 0
        while position < len(css) and not css[position].isspace() and css[position] != ">":
            match = _CSS_TOKEN.match(css, position)
            if match is None or match.end() == position or match.group("child"):
                raise _invalid("css selector", css, "only tags, #id, .class and [attr=value] "
                                                    "joined by blanks or '>' are understood")
            position = match.end()
            group = match.groupdict()
            if group["tag"] or group["cls"]:
                kinds += 1
                if (group["tag"] or "") != "*":
                    for terms in alternatives:
                        terms.append(_term("type", group["tag"] or group["cls"]))
            elif group["id"]:
                for terms in alternatives:
                    terms.append(_term("name", group["id"]))
            else:
                value = next((group[k] for k in ("dq", "sq", "bare") if group[k] is not None),
                             None)
                if value is None:
                    raise _invalid("css selector", css, "[%s] needs a value" % group["attr"])
                value = re.sub(r"\\(.)", r"\1", value)
                contains = group["op"] == "*="
                attr = group["attr"]
                if attr == "name":
                    alternatives = [terms + [_term(key, value, contains)]
                                    for terms in alternatives for key in ("accessible", "text")]
                else:
                    key = {"id": "name", "class": "type"}.get(attr, attr)
                    for terms in alternatives:
                        terms.append(_term(key, value, contains))
        if kinds > 1:
            raise _invalid("css selector", css, "a widget has one class to select by")
        elements.append(alternatives)
        joins.append(pending)
        pending = "//"
    if not elements:
        raise _invalid("css selector", css, "it is empty")
    paths = [""]
    for join, alternatives in zip(joins, elements):
        paths = [path + ("" if not path and join == "//" else join) +
                 "{" + (" ".join(terms) or "type=QWidget") + "}"
                 for path in paths for terms in alternatives]
    return paths


def paths_for(using: str, value: str) -> List[str]:
    """The selector paths of a strategy, tried in order; XPath is not among them."""
    if not isinstance(value, str) or not value:
        raise WebDriverError("invalid argument", "the locator's value is an empty string")
    if using == "id":
        return ["{%s}" % _term("name", value)]
    if using == "name":
        return ["{%s}" % _term("accessible", value), "{%s}" % _term("text", value)]
    if using == "accessibility id":
        return ["{%s}" % _term("accessible", value), "{%s}" % _term("name", value)]
    if using in ("class name", "tag name"):
        return ["{%s}" % _term("type", value)]
    if using == "link text":
        return ["{%s}" % _term("text", value)]
    if using == "partial link text":
        return ["{%s}" % _term("text", value, contains=True)]
    if using == "css selector":
        return _css_paths(value)
    if using == "-testclient selector":
        return [value]
    raise WebDriverError("invalid argument", "unknown locator strategy %r" % using)
