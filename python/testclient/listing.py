"""Text listings of an application's windows and widgets, each with an address that works
(extended mode): what testclient.spy and App.spy() print."""

from __future__ import annotations

from typing import Any, List, Sequence

from . import errors
from .protocol import WidgetEntry, WindowEntry

_TEXT_WIDTH = 32


def _short(text: str, width: int = _TEXT_WIDTH) -> str:
    text = " ".join(text.split())
    return text if len(text) <= width else text[:width - 3] + "..."


def _columns(rows: Sequence[Sequence[str]]) -> List[str]:
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]) - 1)]
    return ["  ".join(cell.ljust(width) for cell, width in zip(row, widths)) + "  " + row[-1]
            for row in rows]


def format_window(window_entry: WindowEntry, widgets: List[WidgetEntry]) -> List[str]:
    """The lines for one window (a WindowEntry) and its widgets (WidgetEntry objects)."""
    g = window_entry.geometry
    flags = [f for f, on in (("modal", window_entry.modal), ("active", window_entry.active))
             if on]
    lines = ['window %s  %s "%s"  %dx%d+%d+%d%s' % (
        window_entry.address, window_entry.class_name, window_entry.title, g.width,
        g.height, g.left, g.top, "  (%s)" % ", ".join(flags) if flags else "")]
    rows = [("class", "name", "text", "geometry", "", "address")]
    for entry in widgets:
        g = entry.geometry
        kind = entry.class_name if entry.qt_class == entry.class_name \
            else "%s (%s)" % (entry.class_name, entry.qt_class)
        rows.append(("  " * entry.depth + kind, entry.name,
                     _short(entry.text), "%dx%d+%d+%d" % (g.width, g.height, g.left, g.top),
                     ("" if entry.enabled else "-") + ("*" if entry.focus else ""),
                     entry.address))
    lines += ["  " + line.rstrip() for line in _columns(rows)]
    return lines


def format_app(app: Any) -> str:
    """Every visible window of an App with its widgets, as text."""
    blocks = []
    for window_entry in app.window_infos():
        try:
            widgets = window_entry.window.widgets()
        except (errors.WindowNotFound, errors.WindowAmbiguous):
            continue  # closed, or joined by a twin, since the window list was read
        blocks.append("\n".join(format_window(window_entry, widgets)))
    return "\n\n".join(blocks) if blocks else "(no visible window)"
