"""WebdriverIO from npm drives the address book through testclient-webdriver."""

import os
import shutil
import subprocess

from conftest import BOOK, need

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wdio-session.mjs")


def test_webdriverio_session(node_modules, server_url, tmp_path):
    need(BOOK)
    # Node finds packages beside the script, so the script runs from beside a link to them.
    shutil.copy(SCRIPT, tmp_path)
    os.symlink(node_modules, tmp_path / "node_modules")
    result = subprocess.run(["node", str(tmp_path / "wdio-session.mjs"), server_url, BOOK],
                            capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stdout + result.stderr
