"""A recorded session, shown end to end: a person's X input (played by xdotool) on Qt's
widget gallery under a private Xvfb becomes steps, written as a requests file and a pytest
file; the requests file then brings a fresh start of the gallery to the same state.

    python3 demo/record-session.py BUILD_BIN GALLERY OUTPUT_FOLDER
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "python"))

from testclient import Driver, Request, WaitTimeout, protocol, record  # noqa: E402
from testclient.protocol import request_line  # noqa: E402

bin_dir, gallery, out = sys.argv[1:4]
os.environ["TESTCLIENT_RUN"] = os.path.join(bin_dir, "testclient-run")


def person(pid):
    """xdotool on the display the launcher gave the program of pid."""
    with open("/proc/%d/environ" % pid, "rb") as environ:
        variables = dict(e.split(b"=", 1) for e in environ.read().split(b"\0") if b"=" in e)
    env = dict(os.environ, DISPLAY=variables[b"DISPLAY"].decode())
    if b"XAUTHORITY" in variables:
        env["XAUTHORITY"] = variables[b"XAUTHORITY"].decode()

    def click(rect):
        x, y = rect.center
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"],
                       env=env, check=True)

    def type_text(text):
        subprocess.run(["xdotool", "key", "ctrl+a", "type", "--delay", "30", text], env=env,
                       check=True)
    return click, type_text


def follows(widget, name, value):
    """Waits until the gallery shows what the input did."""
    try:
        widget.wait_for_prop(name, value, timeout=10)
    except WaitTimeout:
        raise SystemExit("record-session: the gallery did not follow the input") from None


with Driver(port=4242, timeout=20) as driver:
    app = driver.launch([gallery], xvfb=True)
    try:
        window = app.wait_for_window(cls="WidgetGallery")
        title = next(w.title for w in app.window_infos() if w.class_name == "WidgetGallery")
        app.start_recording()
        click, type_text = person(app.pid)
        combo = window.widget("styleComboBox")
        click(combo.prop("globalRect"))
        popup = app.wait_for_window("{QComboBoxPrivateContainer}")
        click(popup.widget("{QListView}").prop("itemGlobalRect", "Windows"))
        follows(combo, "currentText", "Windows")
        spin = window.widget("spinBox")
        click(spin.prop("globalRect"))
        type_text("73")
        follows(spin, "value", 73)
        tabs = window.widget("bottomLeftTabWidget")
        click(tabs.prop("itemGlobalRect", "Table"))
        table = window.widget("tableWidget")
        follows(table, "visible", True)
        click(table.prop("itemGlobalRect", "3:2"))
        follows(table, "currentRow", 3)
        steps = app.recorded_steps()
        app.stop_recording()
    finally:
        app.close()

print("recorded in the gallery, by X input:")
for number, step in enumerate(steps, 1):
    print("  " + record.describe(step, number))
requests = os.path.join(out, "gallery-recorded.requests")
record.write_requests(steps, requests, [gallery])
record.write_pytest(steps, os.path.join(out, "test_gallery_recorded.py"), [gallery])
print("wrote %s and test_gallery_recorded.py beside it" % requests)

print("replaying %s against a fresh gallery:" % os.path.basename(requests))
reads = [("styleComboBox", "currentText"), ("spinBox", "value"),
         ("bottomLeftTabWidget", "currentText"), ("tableWidget", "currentRow"),
         ("tableWidget", "currentColumn")]
read_lines = [request_line(Request.PROPERTY, title, path, "", name, "") for path, name in reads]
script = os.path.join(out, "gallery-replay.requests")
with open(requests, encoding="utf-8") as recorded, open(script, "w", encoding="utf-8") as replay:
    replay.write(recorded.read())
    replay.writelines(line + "\n" for line in read_lines)
run = subprocess.run([os.path.join(bin_dir, "testclient-driver"), "--port", "4242", "--raw",
                      script, "--", os.path.join(bin_dir, "testclient-run"), "--", gallery],
                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
lines = run.stdout.decode("utf-8", errors="replace").splitlines()
for (path, name), line in zip(reads, read_lines):
    request = ">> " + line
    reply = lines[lines.index(request) + 1] if request in lines else "(no reply)"
    status, payload = protocol.split_reply(reply.encode("utf-8"))
    value = protocol.decode_value(payload) if status == "0" else reply
    print("  %s %s: %r" % (path, name, value))
sys.exit(run.returncode)
