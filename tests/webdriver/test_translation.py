"""Locators and key codes as the agent's selectors and key texts."""

import pytest

from testclient.webdriver.keys import split_keys, typed_as_keys
from testclient.webdriver.locators import paths_for
from testclient.webdriver.w3c import WebDriverError


@pytest.mark.parametrize("css, paths", [
    ('[name="Name:"]', ["{accessible=Name:}", "{text=Name:}"]),
    ("QGroupBox#box > .QAbstractButton[text*='O, K']",
     ["{type=QGroupBox name=box}/{type=QAbstractButton text~'O%2C K'}"]),
    ("QDialog QLineEdit", ["{type=QDialog}//{type=QLineEdit}"]),
])
def test_css_selectors_read_as_agent_paths(css, paths):
    assert paths_for("css selector", css) == paths


@pytest.mark.parametrize("css", ["a, b", "a:hover", "QLabel.QWidget", "[checked]"])
def test_css_beyond_the_simple_forms_is_an_invalid_selector(css):
    with pytest.raises(WebDriverError) as error:
        paths_for("css selector", css)
    assert error.value.error == "invalid selector"


def test_key_codes_become_presses_and_chords():
    assert split_keys("ab\ue008c\ue009\ue008s\ue000d\ue006") == [
        ("type", "abC"), ("press", "Ctrl+Shift+s"), ("type", "d"), ("press", "Return")]
    assert typed_as_keys("Hi, ö") == ["Shift+H, i", ",", "Space, ö"]
