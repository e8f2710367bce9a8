"""Launching unmodified applications, and the pytest plugin around it."""

import os
import struct
import time

import pytest
from conftest import need_qt5_examples

from testclient import errors

EXAMPLES = "/usr/lib/x86_64-linux-gnu/qt5/examples"
ADDRESS_BOOK = os.path.join(EXAMPLES, "widgets/tutorials/addressbook/part1/part1")


def test_launch_drives_an_unmodified_application(driver, launcher):
    need_qt5_examples(ADDRESS_BOOK)
    app = driver.launch([ADDRESS_BOOK])
    try:
        # The README's example: no widget of this program has an object name.
        window = app.wait_for_window("Simple Address Book")
        assert any(e.class_name == "QLineEdit" and not e.object_name for e in window.tree())
        name = window.find("QLineEdit", label="Name:")
        name.enter("Ada")
        assert name.prop("text") == "Ada"
    finally:
        app.close()


def test_launch_says_why_no_agent_came(driver, launcher):
    # The launcher's reasons themselves are tst_testclientrun's; here one reaches the client,
    # once the launcher gives up after the client's time-out.
    started = time.monotonic()
    with pytest.raises(errors.LaunchError) as failed:
        driver.launch(["/bin/sleep", "60"], timeout=3)
    assert failed.value.text.startswith("testclient-run: no agent connected: /bin/sleep")
    assert "loaded no Qt" in failed.value.text
    assert "\n" not in failed.value.text
    assert time.monotonic() - started < 3 + 5


def test_plugin_saves_the_evidence_of_a_failing_test(pytester, launcher):
    """Two xdist workers on their own ports and Xvfb servers, the agent plain; the failure
    leaves its transcript and a screenshot of the Xvfb screen."""
    need_qt5_examples(ADDRESS_BOOK)
    pytest.importorskip("xdist")
    pytester.makepyfile(test_inner="""
        def test_fails(tc_app):
            tc_app.window("Simple Address Book").tree()
            assert False, "on purpose"

        def test_passes(tc_app):
            assert tc_app.windows()
    """)
    result = pytester.runpytest_subprocess(
        "--tc-app=" + ADDRESS_BOOK, "--tc-port=4242",
        "--tc-xvfb", "--tc-plain", "-n", "2", "--tc-artifacts", str(pytester.path / "evidence"))
    result.assert_outcomes(passed=1, failed=1)
    saved = sorted(n for n in os.listdir(pytester.path / "evidence") if "output" not in n)
    assert saved == ["test_inner.py_test_fails.png", "test_inner.py_test_fails.transcript.txt"]
    text = (pytester.path / "evidence" / saved[1]).read_text()
    assert ">> 2,Simple Address Book" in text
    assert (pytester.path / "evidence" / saved[0]).read_bytes().startswith(b"\x89PNG")


def test_plugin_screenshots_each_window_through_the_agent_offscreen(pytester, launcher):
    need_qt5_examples(ADDRESS_BOOK)
    pytester.makepyfile(test_inner="""
        def test_fails(tc_app):
            window = tc_app.wait_for_window("Simple Address Book")
            window.find("QLineEdit").enter("Ada")
            (entry,) = [w for w in window.widgets() if w.depth == 0]
            assert False, "size %d %d" % (entry.geometry.width, entry.geometry.height)
    """)
    evidence = pytester.path / "evidence"
    result = pytester.runpytest_subprocess(
        "--tc-app=" + ADDRESS_BOOK, "--tc-port=4242",
        "--tc-artifacts", str(evidence))
    result.assert_outcomes(failed=1)
    stem = str(evidence / "test_inner.py_test_fails")
    assert sorted(n for n in os.listdir(evidence) if "output" not in n) == [
        os.path.basename(stem) + ".png", os.path.basename(stem) + ".transcript.txt"]
    picture = open(stem + ".png", "rb").read()
    assert picture[12:16] == b"IHDR"
    result.stdout.fnmatch_lines(["*size %d %d*" % struct.unpack(">II", picture[16:24])])
    # The transcript is the test's own traffic, not the screenshots taken after it.
    transcript = open(stem + ".transcript.txt").read()
    assert ">> 6," in transcript and ">> 22," not in transcript


def test_plugin_gives_each_program_a_fixture_and_keeps_its_output(pytester, launcher):
    """Two programs in one test, each from a fixture of its own; the failure leaves the
    evidence of both, what each wrote to standard error among it."""
    tab_dialog = os.path.join(EXAMPLES, "widgets/dialogs/tabdialog/tabdialog")
    need_qt5_examples(ADDRESS_BOOK, tab_dialog)
    pytester.makeconftest("""
        from testclient.pytest_plugin import app_fixture
        book = app_fixture(["sh", "-c", "echo book-says-hello >&2; exec %s"])
        dialog = app_fixture(%r)
    """ % (ADDRESS_BOOK, tab_dialog))
    pytester.makepyfile(test_inner="""
        def test_both(book, dialog):
            assert book.pid != dialog.pid
            book.wait_for_window("Simple Address Book")
            dialog.wait_for_window("Tab Dialog")
            assert False, "on purpose"
    """)
    evidence = pytester.path / "evidence"
    result = pytester.runpytest_subprocess(
        "--tc-port=4242", "--tc-artifacts", str(evidence))
    result.assert_outcomes(failed=1)
    stem = "test_inner.py_test_both-app%d"
    assert sorted(os.listdir(evidence)) == sorted(
        (stem % n) + suffix for n in (1, 2)
        for suffix in (".output.txt", ".png", ".transcript.txt"))
    assert "book-says-hello" in (evidence / ((stem % 1) + ".output.txt")).read_text()
    assert "Tab Dialog" in (evidence / ((stem % 2) + ".transcript.txt")).read_text()
