"""Appium from npm, with this repository's driver installed as Appium installs any driver,
forwards a Selenium session to testclient-webdriver."""

import os
import re
import socket
import subprocess
import threading

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.common.options import ArgOptions

from conftest import BIN, BOOK, SERVER, need

DRIVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "appium")


def test_session_through_appium(node_modules, tmp_path):
    need(BOOK, SERVER)
    appium = os.path.join(node_modules, ".bin", "appium")
    env = dict(os.environ, APPIUM_HOME=str(tmp_path / "appium-home"),
               TESTCLIENT_WEBDRIVER=SERVER, PATH=BIN + os.pathsep + os.environ["PATH"])
    subprocess.run([appium, "driver", "install", "--source=local", DRIVER], env=env,
                   check=True, capture_output=True, timeout=300)
    with socket.socket() as probe:  # Appium takes no port 0
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    server = subprocess.Popen([appium, "--address", "127.0.0.1", "--port", str(port)], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    try:
        for line in server.stdout:
            listening = re.search(r"listener started on (http://127\.0\.0\.1:\d+)", line)
            if listening or "Could not" in line or "Error" in line:
                break
        assert listening, line
        # Appium logs every command: drain its output so that it never blocks on the pipe.
        threading.Thread(target=server.stdout.read, daemon=True).start()
        options = ArgOptions()
        for key, value in {"platformName": "Linux", "appium:automationName": "TestClient",
                           "appium:app": BOOK}.items():
            options.set_capability(key, value)
        driver = webdriver.Remote(listening.group(1), options=options)
        try:
            driver.find_element(By.XPATH, "//QPushButton[@text='Add']").click()
            name = driver.find_element(By.CSS_SELECTOR, ".QLineEdit")
            name.send_keys("Ada")
            assert name.text == "Ada" and driver.title == "Simple Address Book"
        finally:
            driver.quit()
    finally:
        server.terminate()
        server.wait(30)
