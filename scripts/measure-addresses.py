#!/usr/bin/env python3
"""How many of a program's widgets a test can address, with names alone and with selectors.

    scripts/measure-addresses.py [--build DIR] [--out FILE] [--xvfb] [LABEL=COMMAND ...]

Starts each program headless with the agent (testclient-run, extended mode), waits until its
windows stop changing, and lists every visible widget of every window (request 21). Each
visible, enabled, interactive widget (buttons, fields, boxes, views, tabs, sliders, editors)
counts:

- before: a window field and an address of names alone find exactly it (the listing's
  addresses when they hold no selector, else the widget's full path of names) - what the
  protocol without the extended mode offers;
- after: the listing's address finds exactly it.

"Finds exactly it" is checked by the program itself: a property read through the address
must succeed and give the widget's object name and size as the listing gave them.

Without programs on the command line it measures Qt's example programs and the Debian
programs below that are installed (skipping the rest, with a note).
"""

import argparse
import json
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))

from testclient import Driver, Request  # noqa: E402
from testclient.protocol import request_line  # noqa: E402

EXAMPLES = "/usr/lib/x86_64-linux-gnu/qt5/examples/widgets"
PROGRAMS = [
    ("gallery", [EXAMPLES + "/gallery/gallery"]),
    ("stylesheet", [EXAMPLES + "/widgets/stylesheet/stylesheet"]),
    ("validators", [EXAMPLES + "/widgets/validators/validators"]),
    ("addressbook", [EXAMPLES + "/tutorials/addressbook/part2/part2"]),
    ("tabdialog", [EXAMPLES + "/dialogs/tabdialog/tabdialog"]),
    ("standarddialogs", [EXAMPLES + "/dialogs/standarddialogs/standarddialogs"]),
    ("speedcrunch", ["speedcrunch"]),
    ("kcalc", ["kcalc"]),
    ("juffed", ["juffed"]),
    ("designer", ["designer"]),
    ("linguist", ["linguist"]),
    ("keepassxc", ["keepassxc"]),
    ("sqlitebrowser", ["sqlitebrowser"]),
    ("cutecom", ["cutecom"]),
    ("qgit", ["qgit"]),
    ("screengrab", ["screengrab"]),
]

INTERACTIVE = {
    "QPushButton", "QToolButton", "QCheckBox", "QRadioButton", "QCommandLinkButton",
    "QLineEdit", "QSpinBox", "QDoubleSpinBox", "QDateEdit", "QTimeEdit", "QDateTimeEdit",
    "QComboBox", "QFontComboBox", "QListView", "QListWidget", "QTreeView", "QTreeWidget",
    "QTableView", "QTableWidget", "QColumnView", "QTabBar", "QTextEdit", "QTextBrowser",
    "QPlainTextEdit", "QSlider", "QDial", "QKeySequenceEdit", "QAbstractItemView",
    "QAbstractButton", "QAbstractSpinBox", "QAbstractScrollArea", "QMenuBar",
}


def request(app, line):
    return app.connection.request(line).decode("utf-8", errors="replace")


def listing(app, line):
    reply = request(app, line)
    return json.loads(reply[4:]) if reply.startswith("0,j:") else []


def settled_windows(app, timeout=15.0):
    """The windows once their widget listings stopped changing."""
    deadline = time.monotonic() + timeout
    previous = None
    while time.monotonic() < deadline:
        windows = listing(app, request_line(Request.LIST_WINDOWS_EXTENDED))
        shape = [(w["address"], len(listing(app, request_line(Request.LIST_WIDGETS, w["address"]))))
                 for w in windows]
        if windows and shape == previous:
            return windows
        previous = shape
        time.sleep(0.5)
    return listing(app, request_line(Request.LIST_WINDOWS_EXTENDED))


def finds_exactly(app, window, address, widget):
    if not address or "," in address:
        return False
    geometry = request(app, request_line(Request.PROPERTY, window, address, "", "geometry", ""))
    if not geometry.startswith("0,r:"):
        return False
    left, top, right, bottom = (int(v) for v in geometry[4:].split(","))
    if (right - left + 1, bottom - top + 1) != tuple(widget["geometry"][2:]):
        return False
    name = request(app, request_line(Request.PROPERTY, window, address, "", "objectName", ""))
    return name == "0,u:" + widget["name"].encode("utf-8").hex()


def measure(driver, label, argv, xvfb):
    app = driver.launch(argv, headless=not xvfb, xvfb=xvfb, timeout=30.0)
    try:
        counts = {"visible": 0, "interactive": 0, "before": 0, "after": 0}
        missed = []
        for window in settled_windows(app):
            if window["class"] == "QMenu":
                continue
            for widget in listing(app, request_line(Request.LIST_WIDGETS, window["address"])):
                counts["visible"] += 1
                if widget["qtClass"] not in INTERACTIVE or not widget["enabled"]:
                    continue
                counts["interactive"] += 1
                after = finds_exactly(app, window["address"], widget["address"], widget)
                # Names alone need the window by title or object name, too.
                if "{" in window["address"]:
                    before = False
                elif "{" not in widget["address"]:
                    before = after
                else:
                    before = finds_exactly(app, window["address"], widget["path"], widget)
                counts["after"] += after
                counts["before"] += before
                if not after:
                    missed.append("%s %s %s" % (window["address"], widget["address"],
                                                widget["class"]))
        return counts, missed
    finally:
        app.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--out")
    parser.add_argument("--xvfb", action="store_true")
    parser.add_argument("--port", type=int, default=4271)
    parser.add_argument("programs", nargs="*", metavar="LABEL=COMMAND")
    options = parser.parse_args()
    os.environ.setdefault("TESTCLIENT_RUN",
                          os.path.abspath(os.path.join(options.build, "bin", "testclient-run")))

    programs = PROGRAMS
    if options.programs:
        programs = [(p.split("=", 1)[0], p.split("=", 1)[1].split()) for p in options.programs]

    lines = ["%-16s %8s %12s %8s %8s" % ("program", "visible", "interactive", "before", "after")]
    notes = []
    with Driver(port=options.port) as driver:
        for label, argv in programs:
            if not (os.path.isabs(argv[0]) and os.access(argv[0], os.X_OK)) and \
                    not shutil.which(argv[0]):
                notes.append("%s: not installed, skipped" % label)
                continue
            try:
                counts, missed = measure(driver, label, argv, options.xvfb)
            except Exception as error:  # a program that fails to start is reported, not fatal
                notes.append("%s: %s" % (label, error))
                continue
            share = (lambda n: "%5.1f %%" % (100.0 * n / counts["interactive"])
                     if counts["interactive"] else "   -")
            lines.append("%-16s %8d %12d %8s %8s" % (label, counts["visible"],
                                                     counts["interactive"],
                                                     share(counts["before"]),
                                                     share(counts["after"])))
            notes.extend("%s: no address for %s" % (label, m) for m in missed[:5])
            print(lines[-1], flush=True)
    report = "\n".join(lines + [""] + notes) + "\n"
    print(report)
    if options.out:
        with open(options.out, "w", encoding="utf-8") as out:
            out.write(report)


if __name__ == "__main__":
    main()
