"""Waiting with a deadline: the one polling loop of the client and of scripts using it."""

from __future__ import annotations

import time
from typing import Callable, TypeVar

from . import errors

POLL_INTERVAL = 0.02

T = TypeVar("T")


def retry(attempt: Callable[[], T], timeout: float, describe: str) -> T:
    """Calls attempt() until it returns without raising TestClientError, within timeout;
    returns what it returned. A lost agent ends the wait at once; at the deadline
    WaitTimeout says what did not happen ("describe within N s") and keeps the last error."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return attempt()
        except errors.AgentLost:
            raise
        except errors.TestClientError as error:
            if time.monotonic() >= deadline:
                raise errors.WaitTimeout("%s within %.1f s; last reply: %s"
                                         % (describe, timeout, error), last=error) from None
        time.sleep(POLL_INTERVAL)


def wait_until(condition: Callable[[], T], timeout: float = 5.0,
               describe: str = "the condition was not met") -> T:
    """Calls condition() until it returns a true value, within timeout; returns that value.
    Raises WaitTimeout at the deadline, and at once when the agent is lost."""
    def attempt() -> T:
        value = condition()
        if not value:
            raise errors.TestClientError("not yet")
        return value
    return retry(attempt, timeout, describe)
