"""The README's Selenium script against testclient-webdriver, with the page source that its
XPath expressions search:  webdriver.py BUILD_BIN ADDRESS_BOOK"""

import os
import re
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.common.options import ArgOptions

bin_dir, book = sys.argv[1:3]
root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
server = subprocess.Popen([os.path.join(bin_dir, "testclient-webdriver"), "--port", "0"],
                          stdout=subprocess.PIPE, text=True)
url = re.search(r"http://\S+", server.stdout.readline()).group(0)
print("testclient-webdriver listens on", url)
try:
    options = ArgOptions()
    options.set_capability("appium:app", book)
    driver = webdriver.Remote(url, options=options)
    print("page source of %r:" % driver.title)
    print("\n".join(line[:150] for line in driver.page_source.splitlines()[1:8]))
    driver.quit()
    with open(os.path.join(root, "README.md"), encoding="utf-8") as readme:
        script = re.search(r"\*\*WebDriver\.\*\*.*?```python\n(.*?)```", readme.read(),
                           re.S).group(1)
    with tempfile.TemporaryDirectory() as folder:
        print("the README's script:")
        print(script)
        subprocess.run([sys.executable, "-c", script], cwd=folder, check=True,
                       env=dict(os.environ, WEBDRIVER_URL=url))
        print("it passed, and wrote addressbook.png (%d bytes)"
              % os.path.getsize(os.path.join(folder, "addressbook.png")))
finally:
    server.terminate()
    server.wait(30)
