"""Python client of the TestClient agent: drive Qt Widgets applications, Qt 5 or Qt 6,
from tests."""

from .app import App, Widget, Window
from .driver import Driver
from .errors import (AgentLost, CommandError, LaunchError, ProtocolError, TestClientError,
                     WaitTimeout, WidgetAmbiguous, WidgetNotFound, WidgetNotVisible,
                     WindowAmbiguous, WindowNotActive, WindowNotFound)
from .protocol import (CursorRecord, Rect, Request, Secret, Step, TreeEntry, WidgetEntry,
                       WindowEntry, WindowInfo)
from .selector import contains, sel, selector
from .waiting import wait_until

__all__ = ["Driver", "App", "Window", "Widget", "TestClientError", "WindowNotFound",
           "WindowAmbiguous", "WindowNotActive", "WidgetNotFound", "WidgetNotVisible",
           "WidgetAmbiguous", "CommandError", "AgentLost", "ProtocolError", "LaunchError",
           "WaitTimeout", "Rect", "WindowInfo", "TreeEntry", "CursorRecord", "WindowEntry",
           "WidgetEntry", "Step", "Request", "Secret", "selector", "sel", "contains",
           "wait_until"]
