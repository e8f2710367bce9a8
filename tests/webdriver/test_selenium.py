"""Selenium's Python bindings, unchanged, drive Qt's address book example and SpeedCrunch
through testclient-webdriver."""

import base64
import json
import subprocess
import urllib.error
import urllib.request

import pytest
from selenium import webdriver
from selenium.common.exceptions import (NoSuchElementException, SessionNotCreatedException,
                                        StaleElementReferenceException, WebDriverException)
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.common.options import ArgOptions

from conftest import BOOK, SERVER, SPEEDCRUNCH, need, start_server

NAME = "//QLabel[@text='Name:']/following-sibling::QLineEdit[1]"


def session(url, program, **capabilities):
    options = ArgOptions()
    options.set_capability("platformName", "linux")
    options.set_capability("appium:app", program)
    for key, value in capabilities.items():
        options.set_capability(key, value)
    return webdriver.Remote(url, options=options)


@pytest.fixture
def book(server_url):
    need(BOOK)
    driver = session(server_url, BOOK)
    yield driver
    driver.quit()


def is_png(data):
    return data.startswith(b"\x89PNG")


def test_address_book_form(book):
    add = book.find_element(By.XPATH, "//QPushButton[@text='Add']")
    assert (add.tag_name, add.text, add.is_displayed(), add.is_enabled()) == \
        ("QPushButton", "Add", True, True)
    add.click()
    name = book.find_element(By.XPATH, NAME)
    name.send_keys("Ada")
    name.send_keys(Keys.CONTROL, "a", Keys.NULL, "Zoë Größe")  # the chord selects, text replaces
    assert name.text == "Zoë Größe" and name.get_attribute("text") == "Zoë Größe"
    assert 'text="Zoë Größe"' in book.page_source  # a page made before the typing is stale
    assert name.get_attribute("readOnly") is None and name.get_property("maxLength") == 32767
    assert name.get_attribute("noSuchProperty") is None
    label = book.find_element(By.XPATH, "//QLabel[@text='Name:']")
    assert label.rect["y"] == name.rect["y"] and label.rect["x"] < name.rect["x"]
    buttons = book.find_elements(By.CSS_SELECTOR, ".QAbstractButton")  # base classes count
    assert [b.text for b in buttons] == ["Add", "Submit", "Cancel"]
    assert book.find_element(By.CSS_SELECTOR, "[id=\"qt_scrollarea_viewport\"]").tag_name \
        == "QWidget"
    address = book.find_element(By.CLASS_NAME, "QTextEdit")
    address.send_keys("1 Rue de l'Été", Keys.ENTER, "Paris")
    assert address.get_attribute("plainText") == "1 Rue de l'Été\nParis"
    # An element within an element, by XPath and by class.
    assert address.find_element(By.XPATH, "./QWidget").get_attribute("name") == \
        "qt_scrollarea_viewport"
    with pytest.raises(NoSuchElementException):
        address.find_element(By.CLASS_NAME, "QPushButton")
    assert is_png(base64.b64decode(book.get_screenshot_as_base64()))
    assert is_png(name.screenshot_as_png)
    book.find_element(By.LINK_TEXT, "Submit").click()
    main = book.current_window_handle
    book.switch_to.window([h for h in book.window_handles if h != main][0])
    assert book.title == "Add Successful"
    assert book.close() is None and book.window_handles == [main]
    book.switch_to.window(main)
    assert name.get_attribute("readOnly") == "true"
    with pytest.raises(WebDriverException) as refused:  # what was typed stays out of errors
        name.send_keys("s3cret")
    assert "s3cret".encode().hex() not in refused.value.msg, refused.value.msg


def test_dialog_window_and_stale_elements(book):
    book.find_element(By.XPATH, "//QPushButton[@text='Add']").click()
    book.find_element(By.XPATH, "//QPushButton[@text='Submit']").click()  # empty: a box
    main = book.current_window_handle
    handles = book.window_handles
    assert len(handles) == 2 and main in handles
    book.switch_to.window([h for h in handles if h != main][0])
    assert book.title == "Empty Field"
    ok = book.find_element(By.XPATH, "//QPushButton")
    assert ok.text == "OK"
    ok.send_keys(Keys.ENTER)
    with pytest.raises(StaleElementReferenceException):
        ok.click()
    assert book.window_handles == [main]
    book.switch_to.window(main)
    with pytest.raises(NoSuchElementException):
        book.find_element(By.ID, "noSuchWidget")


def test_actions_and_w3c_errors(book, server_url):
    add = book.find_element(By.XPATH, "//QPushButton[@text='Add']")
    ActionChains(book).move_to_element(add).click().perform()
    name = book.find_element(By.XPATH, NAME)
    assert book.switch_to.active_element.tag_name == "QLineEdit"
    assert book.set_window_rect(10, 20, 500, 300) == {"x": 10, "y": 20, "width": 500,
                                                      "height": 300}
    ActionChains(book).click(name).send_keys("abc").key_down(Keys.SHIFT) \
        .send_keys(Keys.HOME).key_up(Keys.SHIFT).send_keys("x").perform()
    assert name.text == "x"
    with pytest.raises(WebDriverException, match="unsupported operation"):
        book.get_cookies()
    with pytest.raises(WebDriverException, match="unsupported operation"):
        book.execute_script("return document.title")
    # A failure is never a 200: Selenium takes any 200 for a success.
    request = urllib.request.Request(server_url + "/session/%s/element" % book.session_id,
                                     data=json.dumps({"using": "xpath", "value": "//["})
                                     .encode(), method="POST")
    with pytest.raises(urllib.error.HTTPError) as answer:
        urllib.request.urlopen(request)
    assert answer.value.code == 400
    assert json.load(answer.value)["value"]["error"] == "invalid selector"


def test_speedcrunch_evaluates_on_a_private_x_server(server_url):
    need(SPEEDCRUNCH)
    driver = session(server_url, SPEEDCRUNCH, **{"testclient:xvfb": True})
    try:
        editor = driver.find_element(By.TAG_NAME, "Editor")
        editor.send_keys("6*7", Keys.ENTER)
        results = driver.find_element(By.TAG_NAME, "ResultDisplay")
        assert "42" in results.get_attribute("plainText")
    finally:
        driver.quit()


def test_beyond_loopback_only_allowed_programs(tmp_path):
    need(BOOK)
    refused = subprocess.run([SERVER, "--host", "0.0.0.0", "--port", "0"],
                             capture_output=True, text=True, timeout=30)
    assert refused.returncode != 0 and "--allow" in refused.stderr
    process, url = start_server("--host", "0.0.0.0", "--allow", str(tmp_path))
    try:
        with pytest.raises(SessionNotCreatedException, match="--allow"):
            session(url.replace("0.0.0.0", "127.0.0.1"), BOOK)
    finally:
        process.terminate()
        process.wait(20)


@pytest.mark.parametrize("header", [{"Origin": "http://pages.example"},
                                    {"Host": "rebound.example:4723"}])
def test_a_web_page_cannot_start_programs(server_url, tmp_path, header):
    """A page in a browser on this machine can send a plain POST to the port (text/plain
    needs no preflight), or reach it under a rebound DNS name."""
    ran = tmp_path / "ran"
    body = {"capabilities": {"alwaysMatch": {"appium:app": "/usr/bin/touch",
                                             "appium:appArguments": [str(ran)]}}}
    request = urllib.request.Request(server_url + "/session", data=json.dumps(body).encode(),
                                     headers=dict(header, **{"Content-Type": "text/plain"}))
    with pytest.raises(urllib.error.HTTPError) as answer:
        urllib.request.urlopen(request)
    assert answer.value.code == 403 and not ran.exists()
