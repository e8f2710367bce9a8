"""One pytest session drives a Qt 5 and a Qt 6 program side by side: the client and the
driver are the same for both, and testclient-run gives each program the agent built for
its Qt. Qt Designer of either Qt serves as the program, so one test body checks that the
two agents answer the same requests alike."""

import os

import pytest

from conftest import BIN

DESIGNERS = {5: "/usr/lib/qt5/bin/designer", 6: "/usr/lib/qt6/bin/designer"}
PACKAGES = {5: "qttools5-dev-tools", 6: "qt6-tools-dev-tools"}


def plugin_folder(major):
    """The plug-in folder testclient-run offers programs of that Qt: the environment's
    override, an installed tree's, else this build's own or the other build's (passed in
    by CMake)."""
    override = os.environ.get("TESTCLIENT_QT%d_PLUGINS" % major)
    if override:
        return override
    installed = os.path.join(BIN, os.pardir, "lib", "testclient")
    if os.path.isdir(installed):
        return os.path.join(installed, "qt%d" % major, "plugins")
    if str(major) == (os.environ.get("TESTCLIENT_QT_MAJOR") or "5"):
        return os.path.join(BIN, os.pardir, "plugins")
    return os.environ.get("TESTCLIENT_OTHER_QT_PLUGINS", "")


def has_plugin(folder):
    generic = os.path.join(folder, "generic")
    return os.path.isdir(generic) and any(name.endswith(".so") for name in os.listdir(generic))


@pytest.fixture
def designers(launcher, driver, tmp_path):
    for major, program in DESIGNERS.items():
        if not os.access(program, os.X_OK):
            pytest.skip("Qt %d Designer is not installed (Debian package %s)"
                        % (major, PACKAGES[major]))
        if not has_plugin(plugin_folder(major)):
            pytest.skip("no agent built for Qt %d in %s (make build%s)"
                        % (major, plugin_folder(major), " QT=6" if major == 6 else ""))
    apps = {}
    try:
        for major, program in DESIGNERS.items():
            home = tmp_path / ("home%d" % major)
            home.mkdir()
            # A fresh home: no settings of an earlier run, the New Form dialog at start.
            apps[major] = driver.launch([program], env={
                "HOME": str(home), "XDG_CONFIG_HOME": str(home / ".config")})
        yield apps
    finally:
        for app in apps.values():
            app.close()


def test_one_session_drives_designer_of_qt5_and_of_qt6(designers):
    for major, app in designers.items():
        # The greeting names the Qt each agent was built with.
        assert app.variant.startswith("qt%d" % major), app
        new_form = app.wait_for_window("New Form", timeout=20)
        templates = new_form.widget("treeWidget")
        templates.wait()
        # The extended mode writes the '/' inside the branch's text as "\\/".
        assert "templates\\/forms/Main Window" in templates.prop("pathList"), major
        templates.activate("templates/forms/Main Window")
        new_form.widget("{QPushButton text=Create}").activate()
        form = app.window("Qt Designer").widget("{QDesignerFormWindowInterface}")
        form.wait_for_prop("visible", True, timeout=20)
