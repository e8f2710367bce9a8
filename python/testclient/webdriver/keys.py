"""WebDriver's key codes (the private-use characters U+E000 to U+E05D) as Qt's portable key
text, and a send-keys string split into text to type and keys to press."""

from __future__ import annotations

from typing import List, Optional, Tuple

NULL = "\ue000"

MODIFIERS = {"\ue008": "Shift", "\ue050": "Shift", "\ue009": "Ctrl", "\ue051": "Ctrl",
             "\ue00a": "Alt", "\ue052": "Alt", "\ue03d": "Meta", "\ue053": "Meta"}
# The order in which Qt's portable text writes modifiers.
MODIFIER_ORDER = ("Ctrl", "Alt", "Shift", "Meta")

_NAMED = {
    "\ue001": "Cancel", "\ue002": "Help", "\ue003": "Backspace", "\ue004": "Tab",
    "\ue005": "Clear", "\ue006": "Return", "\ue007": "Enter", "\ue00b": "Pause",
    "\ue00c": "Escape", "\ue00d": "Space", "\ue00e": "PgUp", "\ue00f": "PgDown",
    "\ue010": "End", "\ue011": "Home", "\ue012": "Left", "\ue013": "Up", "\ue014": "Right",
    "\ue015": "Down", "\ue016": "Ins", "\ue017": "Del", "\ue018": ";", "\ue019": "=",
    "\ue024": "*", "\ue025": "+", "\ue026": ",", "\ue027": "-", "\ue028": ".",
    "\ue029": "/",
    # The right-hand navigation block.
    "\ue054": "PgUp", "\ue055": "PgDown", "\ue056": "End", "\ue057": "Home",
    "\ue058": "Left", "\ue059": "Up", "\ue05a": "Right", "\ue05b": "Down", "\ue05c": "Ins",
    "\ue05d": "Del",
}
_NAMED.update({chr(0xE01A + digit): str(digit) for digit in range(10)})  # the number pad
_NAMED.update({chr(0xE031 + n): "F%d" % (n + 1) for n in range(12)})


def key_name(char: str) -> Optional[str]:
    """Qt's name of a WebDriver key code that is no modifier, or None for a character that
    types itself."""
    return _NAMED.get(char)


def is_key_code(char: str) -> bool:
    return "\ue000" <= char <= "\ue05d"


def chord(modifiers: List[str], key: str) -> str:
    """'Ctrl+Shift+S' from the held modifiers and a key."""
    held = [m for m in MODIFIER_ORDER if m in modifiers]
    return "+".join(held + [key])


def split_keys(text: str) -> List[Tuple[str, str]]:
    """Send-keys text as ("type", text) and ("press", key) steps.

    Modifier codes stay held until NULL or the end, as WebDriver says; a character typed
    while Control, Alt or Meta is held is pressed as a chord, one with Shift alone is
    typed in upper case."""
    steps: List[Tuple[str, str]] = []
    held: List[str] = []
    typed = ""
    for char in text:
        if char == NULL:
            held = []
            continue
        if char in MODIFIERS:
            if MODIFIERS[char] not in held:
                held.append(MODIFIERS[char])
            continue
        name = key_name(char)
        if name is None and is_key_code(char):
            raise ValueError("key code U+%04X has no key on this platform" % ord(char))
        if name is None and not set(held) - {"Shift"}:
            typed += char.upper() if held else char
            continue
        if typed:
            steps.append(("type", typed))
            typed = ""
        steps.append(("press", chord(held, name or char)))
    if typed:
        steps.append(("type", typed))
    return steps


def typed_as_keys(text: str) -> List[str]:
    """Key texts that type text at the caret, as a keyboard does: each character its own
    key (Shift with a capital), several joined by commas, a comma as a key text of its own.
    Raises ValueError for a character no key types (beyond Latin-1, or a control)."""
    groups: List[str] = []
    current: List[str] = []
    for char in text:
        if not (" " <= char <= "~" or "\xa0" <= char <= "\xff"):
            raise ValueError("no key types %r" % char)
        if char == ",":
            groups += [", ".join(current)] if current else []
            groups.append(",")
            current = []
            continue
        current.append("Space" if char == " " else
                       "Shift+" + char if char != char.lower() else char)
    if current:
        groups.append(", ".join(current))
    return groups
