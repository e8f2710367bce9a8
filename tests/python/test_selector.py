"""Selectors as the client writes them, read back by the grammar of the extended mode."""

import re

import pytest

from testclient import contains, selector


def read_selector(text):
    """(class or None, [(key, operator, value)]) of one "{...}" element, read the way the
    agent reads it: terms split at blanks outside quotes, '' a quote inside quotes, %XX
    a byte, and the bytes UTF-8."""
    assert text[0] == "{" and text[-1] == "}"
    body, terms, cls = text[1:-1], [], None
    position = 0
    while position < len(body):
        if body[position] == " ":
            position += 1
            continue
        match = re.compile(r"([A-Za-z_][A-Za-z0-9_]*)([=~])").match(body, position)
        key, operator = (match.group(1), match.group(2)) if match else (None, None)
        position = match.end() if match else position
        raw = []
        if position < len(body) and body[position] == "'":
            position += 1
            while True:
                end = body.index("'", position)
                raw.append(body[position:end])
                position = end + 1
                if body[position:position + 1] != "'":
                    break
                raw.append("'")
                position += 1
        else:
            end = body.find(" ", position)
            end = len(body) if end < 0 else end
            raw.append(body[position:end])
            position = end
        value = re.sub(rb"%([0-9A-Fa-f]{2})", lambda m: bytes([int(m.group(1), 16)]),
                       "".join(raw).encode("utf-8")).decode("utf-8")
        if key is None:
            cls = value
        else:
            terms.append((key, operator, value))
    return cls, terms


AWKWARD = [
    "OK", "Name:", "", "two words", "it's", "''", "100%", "%2C", "a,b", "a/b", "a//b",
    "{QLabel}", "Gr\u00f6\u00dfe", "\u6570\u636e", "Russian (\u0440\u0443\u0441\u0441\u043a\u0438\u0439)",
    "line\nbreak", "tab\there", "\x85", "&Open", "a~b=c", " leading and trailing ",
]


@pytest.mark.parametrize("value", AWKWARD)
def test_values_read_back_whole_and_fit_a_request_field_and_a_path(value):
    written = selector("QPushButton", text=value, tooltip=contains(value), nth=2)
    assert read_selector(written) == ("QPushButton", [("text", "=", value),
                                                      ("tooltip", "~", value),
                                                      ("nth", "=", "2")])
    # A request field holds no comma or line break, a path element no '/'.
    assert not set(",\n\r/") & set(written)


def test_plain_values_stay_bare_and_typed_values_read_as_the_agent_compares_them():
    assert selector("QPushButton", text="OK") == "{QPushButton text=OK}"
    assert selector("QLineEdit", label="Name:") == "{QLineEdit label=Name:}"
    assert selector(type="QAbstractButton", tooltip="Save the file") == \
        "{type=QAbstractButton tooltip='Save the file'}"
    assert selector("QCheckBox", checked=True, enabled=False, value=12, ratio=0.5) == \
        "{QCheckBox checked=true enabled=false value=12 ratio=0.5}"
    assert selector(name="MainWindow") == "{name=MainWindow}"


@pytest.mark.parametrize("terms", [{}, {"nth": 0}, {"nth": True}, {"nth": "2"},
                                   {"text": None}, {"text": [1]}, {"bad key": 1}])
def test_selectors_that_cannot_be_written_are_refused(terms):
    with pytest.raises((ValueError, TypeError)):
        selector(**terms)
