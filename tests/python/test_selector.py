"""Selectors as the client writes them, read back by the grammar of the extended mode."""

import re

import pytest

from testclient import contains, selector

# An optional key with its operator, then a quoted ('' inside) or a bare value.
TERM = re.compile(r"(?:([A-Za-z_]\w*)([=~]))?('(?:[^']|'')*'|[^ '}]+)")


def read_terms(written):
    terms = []
    for key, operator, value in TERM.findall(written[1:-1]):
        if value.startswith("'"):
            value = value[1:-1].replace("''", "'")
        raw = re.sub(rb"%([0-9A-Fa-f]{2})", lambda m: bytes([int(m.group(1), 16)]),
                     value.encode("utf-8"))
        terms.append((key, operator, raw.decode("utf-8")))
    return terms


@pytest.mark.parametrize("value", [
    "OK", "Name:", "", "two words", "it's", "''", "100%", "%2C", "a,b", "a//b", "{QLabel}",
    "Gr\u00f6\u00dfe \u6570\u636e", "line\nbreak\x85", "&Open", "a~b=c", " x "])
def test_values_read_back_whole_and_fit_a_request_field_and_a_path(value):
    written = selector("QPushButton", text=value, tooltip=contains(value), nth=2)
    assert written[0] == "{" and written[-1] == "}"
    assert read_terms(written) == [("", "", "QPushButton"), ("text", "=", value),
                                   ("tooltip", "~", value), ("nth", "=", "2")]
    assert not set(",\n\r/") & set(written)  # a field holds no comma, an element no '/'


def test_plain_values_stay_readable():
    assert selector("QCheckBox", text="OK", checked=True, ratio=0.5) == \
        "{QCheckBox text=OK checked=true ratio=0.5}"
