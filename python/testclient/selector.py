"""Selectors of the extended mode: a widget or window named by what it shows or its kind.

    selector("QPushButton", text="OK")            -> {QPushButton text=OK}
    selector("QLineEdit", label="Name:")          -> {QLineEdit label=Name:}
    selector(text=contains("Wrap"), checked=True) -> {text~Wrap checked=true}

A selector is written into a request field, which can hold neither a comma nor a line
break, and into a path, where '/' separates elements. Values are therefore written bare
only when they hold letters, digits and "_.:-" alone; any other value goes in single
quotes ('' for a quote inside), and the bytes that a field or a path cannot carry travel
as %XX of their UTF-8 bytes: ',' '%' '/' '{' '}' and control characters.
"""

from __future__ import annotations

import re
import unicodedata
from typing import Any, Optional, Union

_BARE = re.compile(r"[A-Za-z0-9_.:-]+\Z")
_KEY = re.compile(r"[A-Za-z_][A-Za-z0-9_]*\Z")
_ESCAPED = set(",%/{}")


class contains:
    """A term value that matches when the widget's value contains it: key~value."""

    __slots__ = ("value",)

    def __init__(self, value: Union[str, bool, int, float]) -> None:
        self.value = value

    def __repr__(self) -> str:
        return "contains(%r)" % (self.value,)


def _escape(char: str) -> str:
    if char in _ESCAPED or unicodedata.category(char) == "Cc":
        return "".join("%%%02X" % byte for byte in char.encode("utf-8"))
    return char


def write_value(value: Union[str, bool, int, float]) -> str:
    """A term's value as a selector writes it: bare, or quoted and escaped."""
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, int):
        return "%d" % value
    if isinstance(value, float):
        return repr(float(value))
    if not isinstance(value, str):
        raise TypeError("selector values are str, bool, int or float, not %s"
                        % type(value).__name__)
    if _BARE.match(value):
        return value
    return "'" + "".join(_escape(c) for c in value).replace("'", "''") + "'"


def selector(cls: Optional[str] = None, **terms: Any) -> str:
    """The selector element "{cls key=value ...}" for a class and terms, in their order.

    A value wrapped in contains() is matched as a part ("key~value"); nth counts from 1
    among the visible matches.
    """
    parts = []
    if cls is not None:
        if not isinstance(cls, str) or not cls:
            raise ValueError("the class is a non-empty string, not %r" % (cls,))
        # A class with odd characters is still expressible as an explicit type term.
        parts.append(cls if _BARE.match(cls) else "type=" + write_value(cls))
    for key, value in terms.items():
        if not _KEY.match(key):
            raise ValueError("%r is no selector key" % key)
        if value is None:
            raise ValueError("selector term %s has no value" % key)
        if key == "nth" and (isinstance(value, bool) or not isinstance(value, int)
                             or value < 1):
            raise ValueError("nth is a whole number from 1, not %r" % (value,))
        if isinstance(value, contains):
            parts.append(key + "~" + write_value(value.value))
        else:
            parts.append(key + "=" + write_value(value))
    if not parts:
        raise ValueError("a selector needs a class or at least one term")
    return "{" + " ".join(parts) + "}"


sel = selector


def is_selector(address: str) -> bool:
    """Whether a window field or a path holds a selector element."""
    return "{" in address
