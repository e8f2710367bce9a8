"""Selectors as the client writes them: one request field, one path element. That the agent
reads them back whole is the round trip in test_extended."""

import pytest

from testclient import contains, selector


@pytest.mark.parametrize("value", [
    "OK", "Name:", "", "two words", "it's", "''", "100%", "%2C", "a,b", "a//b", "{QLabel}",
    "Gr\u00f6\u00dfe \u6570\u636e", "line\nbreak\x85", "&Open", "a~b=c", " x "])
def test_values_fit_a_request_field_and_a_path(value):
    written = selector("QPushButton", text=value, tooltip=contains(value), nth=2)
    assert written[0] == "{" and written[-1] == "}"
    assert not set(",\n\r/") & set(written)  # a field holds no comma, an element no '/'


def test_plain_values_stay_readable():
    assert selector("QCheckBox", text="OK", checked=True, ratio=0.5) == \
        "{QCheckBox text=OK checked=true ratio=0.5}"
