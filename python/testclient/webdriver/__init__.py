"""A W3C WebDriver server for Qt Widgets programs, over the agent's extended mode:
Selenium, WebdriverIO and Appium clients drive a program as they drive a browser.

Modules in import order: w3c (errors), keys, pagesource, locators, session, elements,
windows, actions, scripts, capabilities, server (HTTP and the command-line entry).
"""
