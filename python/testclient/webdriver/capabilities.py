"""W3C capabilities: alwaysMatch merged with the first firstMatch entry this server can
serve.

Known keys: platformName (linux), appium:automationName (TestClient), appium:app,
appium:appArguments, appium:environment, appium:appWorkingDir, appium:newCommandTimeout
(seconds, 0 for none), testclient:port (attach to an agent that connects to this port),
testclient:xvfb, testclient:headless, testclient:screen ("WxH"),
testclient:launchTimeout (seconds).
"""

from __future__ import annotations

from typing import Any, Dict, List, Optional, Tuple, Type, Union

from .w3c import WebDriverError

_TYPES: Dict[str, Union[Type[Any], Tuple[Type[Any], ...]]] = {"appium:app": str, "appium:appArguments": list, "appium:environment": dict,
          "appium:appWorkingDir": str, "appium:newCommandTimeout": (int, float),
          "testclient:port": int, "testclient:xvfb": bool, "testclient:headless": bool,
          "testclient:screen": str, "testclient:launchTimeout": (int, float)}


def _problem(capabilities: Dict[str, Any]) -> Optional[str]:
    """Why this server cannot serve the capabilities, or None."""
    platform = capabilities.get("platformName")
    if platform is not None and str(platform).lower() != "linux":
        return "platformName %r: this server drives Linux programs" % platform
    automation = capabilities.get("appium:automationName")
    if automation is not None and str(automation).lower() != "testclient":
        return "appium:automationName %r: this server is TestClient" % automation
    for key, kind in _TYPES.items():
        if capabilities.get(key) is not None and not isinstance(capabilities[key], kind):
            return "%s has the wrong type: %r" % (key, capabilities[key])
    if capabilities.get("appium:app") is None and capabilities.get("testclient:port") is None:
        return "neither appium:app (a program to start) nor testclient:port (an agent to " \
               "attach to) is given"
    return None


def merge(requested: Dict[str, Any]) -> Dict[str, Any]:
    always = requested.get("alwaysMatch") or {}
    first: List[Dict[str, Any]] = requested.get("firstMatch") or [{}]
    if not isinstance(always, dict) or not isinstance(first, list):
        raise WebDriverError("invalid argument", "alwaysMatch is an object and firstMatch "
                             "a list of objects")
    problems = []
    for entry in first:
        if not isinstance(entry, dict) or set(entry) & set(always):
            raise WebDriverError("invalid argument", "a firstMatch entry repeats a key of "
                                 "alwaysMatch, or is no object")
        merged = dict(always, **entry)
        problem = _problem(merged)
        if problem is None:
            return merged
        problems.append(problem)
    raise WebDriverError("session not created", "; ".join(problems))
