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

from __future__ import annotations

import argparse
import sys
from typing import List, Optional

from . import errors
from .app import App
from .driver import Driver
from .listing import format_app
from .waiting import retry


def _wait_for_a_window(app: App, title: Optional[str], timeout: float) -> None:
    if title:
        app.wait_for_window(title, timeout=timeout)
        return

    def any_window() -> None:
        if not app.window_infos():
            raise errors.WindowNotFound("no visible window yet")
    retry(any_window, timeout, "no window appeared")


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(
        prog="python -m testclient.spy",
        description="Print the windows and widgets of a Qt Widgets application (Qt 5 or "
                    "Qt 6) with an address for each widget.")
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
            app: Optional[App]
            if program:
                app = driver.launch(program, headless=not options.desktop, xvfb=options.xvfb,
                                    timeout=options.timeout)
            else:
                print("waiting for an agent on port %d" % options.port, file=sys.stderr)
                app = driver.wait_for_app(timeout=options.timeout)
            assert app is not None  # None comes only for a launched process that ended
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
