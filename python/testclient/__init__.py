"""Python client of the TestClient agent: drive Qt 5 Widgets applications from tests."""

from .app import App, Widget, Window
from .driver import Driver
from .errors import (AgentLost, CommandError, LaunchError, ProtocolError, TestClientError,
                     WaitTimeout, WidgetAmbiguous, WidgetNotFound, WidgetNotVisible,
                     WindowAmbiguous, WindowNotActive, WindowNotFound)
from .protocol import CursorRecord, Rect, Step, TreeEntry, WidgetEntry, WindowEntry, WindowInfo
from .selector import contains, sel, selector

__all__ = ["Driver", "App", "Window", "Widget", "TestClientError", "WindowNotFound",
           "WindowAmbiguous", "WindowNotActive", "WidgetNotFound", "WidgetNotVisible",
           "WidgetAmbiguous", "CommandError", "AgentLost", "ProtocolError", "LaunchError",
           "WaitTimeout", "Rect", "WindowInfo", "TreeEntry", "CursorRecord", "WindowEntry",
           "WidgetEntry", "Step", "selector", "sel", "contains"]
