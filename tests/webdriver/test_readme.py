"""The README's Selenium script, exactly as printed there, drives the address book."""

import os
import re
import subprocess
import sys

from conftest import BOOK, need

README = os.path.join(os.path.dirname(__file__), "..", "..", "README.md")


def test_readme_script_runs_unchanged(server_url, tmp_path):
    need(BOOK)
    with open(README, encoding="utf-8") as readme:
        text = readme.read()
    script = re.search(r"\*\*WebDriver\.\*\*.*?```python\n(.*?)```", text, re.S).group(1)
    assert "testclient" not in script
    subprocess.run([sys.executable, "-c", script], cwd=tmp_path, check=True, timeout=120,
                   env=dict(os.environ, WEBDRIVER_URL=server_url))
    assert (tmp_path / "addressbook.png").read_bytes().startswith(b"\x89PNG")
