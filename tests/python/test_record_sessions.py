"""Recorded sessions on further programs, by X input under Xvfb: each replays through the
requests file and the generated pytest file to the state the session reached."""

from testclient import record, wait_until

from test_record_e2e import example, recording, read_state, replays_to, xdotool  # noqa: F401

SHEET = "Spreadsheet"


def test_cells_edited_in_a_table_replay_and_an_extended_selection_is_a_comment(xdotool,
                                                                              tmp_path):
    spreadsheet = example("itemviews/spreadsheet/spreadsheet")
    reads = {cell: (SHEET, "{QTableWidget}", "itemText", cell)
             for cell in ("2:C", "3:E", "10:F")}
    with recording(spreadsheet, SHEET) as (app, window, user):
        table = window.widget("{QTableWidget}")
        # A double click opens the cell's editor; typing on a cell opens it with the key.
        x, y = table.prop("itemGlobalRect", "2:C").center
        user.run("mousemove", "--sync", str(x), str(y), "click", "--repeat", "2",
                 "--delay", "80", "1")
        wait_until(lambda: app.window(SHEET).widget("{QTableWidget}//{QLineEdit}").prop("visible"), 10,
                   "no cell editor opened")
        user.run("key", "ctrl+a")
        user.type("4000")
        user.run("key", "Return")
        table.wait_for_prop("itemText", "4000", parameter="2:C")
        user.click_item(table, "3:E")
        user.type("6")
        user.run("key", "Return")
        table.wait_for_prop("itemText", "6", parameter="3:E")
        user.run("keydown", "shift")
        user.click_item(table, "5:F")
        user.run("keyup", "shift")
        state = read_state(app, reads)
        steps = app.recorded_steps()
    described = [record.describe(s) for s in steps]
    assert state["2:C"] == "4000" and state["3:E"] == "6", state
    # Each edit is the cell made current, then the table's enter; never the editor.
    assert [(s.code, s.value()) for s in steps if s.code] == [
        (5, "s:2:C"), (6, "s:4000"), (5, "s:3:E"), (6, "s:6")], described
    assert all(s.address == "{QTableWidget}" for s in steps), described
    assert steps[-1].is_comment and "Shift-click on 5:F" in steps[-1].comment, described
    replays_to(steps, state, spreadsheet, reads, tmp_path)
