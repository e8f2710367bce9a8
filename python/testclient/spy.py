"""Prints an application's windows and widgets, each with an address that works.

    python -m testclient.spy [--port N] [--xvfb|--desktop] [--wait TITLE] -- PROGRAM [ARGS]
    python -m testclient.spy [--port N]          (waits for an agent started otherwise)

Starts the program with the agent in the extended mode (offscreen unless told), waits
for its first window and prints, for every visible window, its address and then one line
per visible widget: the class (indented by depth, with the Qt class it derives from where
it is the application's own), the object name, the text it shows, its geometry in the
window, the flags "-" disabled and "*" focus, and the address to use in a script,
window.widget(address). A program it started is ended afterwards; one started otherwise
keeps running.
"""

import argparse
import sys

from . import errors
from .driver import Driver

_TEXT_WIDTH = 32


def _short(text, width=_TEXT_WIDTH):
    text = " ".join(text.split())
    return text if len(text) <= width else text[:width - 3] + "..."


def _columns(rows):
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]) - 1)]
    return ["  ".join(cell.ljust(width) for cell, width in zip(row, widths)) + "  " + row[-1]
            for row in rows]


def format_window(window_entry, widgets):
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


def format_app(app):
    """Every visible window of an App with its widgets, as text."""
    blocks = []
    for window_entry in app.window_infos():
        try:
            widgets = window_entry.window.widgets()
        except (errors.WindowNotFound, errors.WindowAmbiguous):
            continue  # closed, or joined by a twin, since the window list was read
        blocks.append("\n".join(format_window(window_entry, widgets)))
    return "\n\n".join(blocks) if blocks else "(no visible window)"


def _wait_for_a_window(app, title, timeout):
    if title:
        app.wait_for_window(title, timeout=timeout)
        return
    from .app import _wait

    def any_window():
        if not app.window_infos():
            raise errors.WindowNotFound("no visible window yet")
    _wait(timeout, any_window, "no window appeared")


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="python -m testclient.spy",
        description="Print the windows and widgets of a Qt 5 application with an address "
                    "for each widget.")
    parser.add_argument("--port", type=int, default=4242, help="driver port (4242)")
    display = parser.add_mutually_exclusive_group()
    display.add_argument("--xvfb", action="store_true", help="run on a private Xvfb server")
    display.add_argument("--desktop", action="store_true", help="run on the current display")
    parser.add_argument("--wait", metavar="TITLE",
                        help="wait for the window of this title (prefix) before printing")
    parser.add_argument("--timeout", type=float, default=20.0,
                        help="seconds to wait for the agent and the window (20)")
    parser.add_argument("program", nargs=argparse.REMAINDER,
                        help="-- PROGRAM [ARGS]: the application to start")
    options = parser.parse_args(argv)
    program = options.program[1:] if options.program[:1] == ["--"] else options.program
    try:
        with Driver(port=options.port) as driver:
            if program:
                app = driver.launch(program, headless=not options.desktop, xvfb=options.xvfb,
                                    timeout=options.timeout)
            else:
                print("waiting for an agent on port %d" % options.port, file=sys.stderr)
                app = driver.wait_for_app(timeout=options.timeout)
            if not app.extended:
                print("the agent runs without the extended mode: start the application "
                      "with testclient-run (without --plain)", file=sys.stderr)
                return 1
            _wait_for_a_window(app, options.wait, options.timeout)
            print(format_app(app))
            return 0
    except errors.TestClientError as error:
        print("testclient.spy: %s" % error, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
