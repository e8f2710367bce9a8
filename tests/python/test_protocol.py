import pytest

from testclient import errors, protocol
from testclient.driver import parse_greeting
from testclient.protocol import Rect


@pytest.mark.parametrize("value, hexed", [
    ("Ada", "733a416461"),
    (True, "623a74727565"),
    (False, "623a66616c7365"),
    (-7, "693a2d37"),
    (None, ""),
    ("\xe9", "733ae9"),  # Latin-1 travels byte for byte
])
def test_values_travel_as_hex_of_their_typed_form(value, hexed):
    assert protocol.hex_value(value) == hexed


def test_values_no_typed_form_holds_are_refused_before_sending():
    with pytest.raises(TypeError):
        protocol.hex_value(1.5)


@pytest.mark.parametrize("greeting, extended", [
    ("+client+ 2.1.0 4711 -1 qt5158_x64", False),
    ("+client+ 2.1.0 4711 -1 qt5158_x64 extended", True),
    ("+client+ 2.1.0 4711 -1 qt5158_x64 later", False),  # modes unknown here are ignored
])
def test_greetings_name_the_mode(greeting, extended):
    assert parse_greeting(greeting) == {"pid": 4711, "hook_version": -1,
                                        "variant": "qt5158_x64", "extended": extended}


@pytest.mark.parametrize("payload, value", [
    (b"b:true", True),
    (b"b:false", False),
    (b"i:-12", -12),
    (b"u:6162c3a9", "ab\xe9"),
    (b"r:10,20,109,69", Rect(10, 20, 109, 69)),
    (b"x:2f2a", b"/*"),
    (b"l:", []),
    (b"l:\x0ca\x0c\x0cb", ["a", "", "b"]),
    (b"QPushButton", "QPushButton"),
    (b"Gr\xfc\xdfe", "Gr\xfc\xdfe"),  # a Latin-1 text that is no UTF-8
    (b"p:89504e47", b"\x89PNG"),
    (b'j:[{"class":"QLabel","text":"\xe6\x95\xb0"}]', [{"class": "QLabel", "text": "\u6570"}]),
])
def test_success_payloads_decode_by_their_type_letter(payload, value):
    assert protocol.decode_value(payload) == value


def test_rect_is_inclusive():
    rect = Rect(10, 20, 109, 69)
    assert (rect.width, rect.height, rect.center) == (100, 50, (60, 45))


@pytest.mark.parametrize("entry, parsed", [
    ('GalleryWindow : "TestClient Gallery"', ("TestClient Gallery", "GalleryWindow", False)),
    ('QDialog (M) : "Confirm : now"', ("Confirm : now", "QDialog", True)),
    ('QMessageBox (M) : ""', ("", "QMessageBox", True)),
])
def test_window_entries(entry, parsed):
    assert protocol.parse_window_entry(entry) == parsed


def test_tree_entries_keep_blanks_in_names():
    assert protocol.parse_tree_entry('2 N QLabel : "a b"') == (2, False, "QLabel", "a b")


def test_cursor_record_and_its_window_name():
    record = protocol.parse_cursor_record(
        b"QPushButton,1,1,gallery/central/greetButton,gallery,54432047616c6c657279,42,-1")
    assert record.path == "gallery/central/greetButton"
    assert record.window_title == "TC Gallery"
    assert record.window_name == "Widget:gallery"
    assert record._replace(window_object_name="").window_name == "TC Gallery"
    assert protocol.parse_cursor_record(b",,,,,") is None


@pytest.mark.parametrize("status, cls", [
    ("2", errors.WindowNotFound), ("3", errors.WindowAmbiguous),
    ("4", errors.WindowNotActive), ("5", errors.WidgetNotFound),
    ("6", errors.WidgetNotVisible), ("7", errors.WidgetAmbiguous),
    ("8", errors.CommandError), ("9", errors.ProtocolError),
])
def test_each_error_status_has_its_exception(status, cls):
    with pytest.raises(cls) as raised:
        protocol.raise_for_status(status, b"Widget (x) not found", "7,W,x,,text,")
    assert isinstance(raised.value, errors.TestClientError)
    if status != "9":
        assert str(raised.value).startswith(status + ",Widget (x) not found")


@pytest.mark.parametrize("field", ["a,b", "a\nb"])
def test_fields_with_separators_are_refused(field):
    with pytest.raises(ValueError):
        protocol.check_field(field, "path")


def test_a_long_typing_request_is_waited_for_longer():
    # The agent answers after twice the client's reply timeout: in time for a line typing
    # 40,000 characters (whose widget work grows with their square), too late for a short one.
    import socket
    import threading
    from testclient.driver import Connection

    def slow_agent(sock, delay):
        sock.makefile("rb").readline()
        threading.Event().wait(delay)
        sock.sendall(b"0,QTextEdit\n")

    for hexed, answered in (("41" * 40000, True), ("41", False)):
        ours, theirs = socket.socketpair()
        threading.Thread(target=slow_agent, args=(theirs, 0.4), daemon=True).start()
        connection = Connection(ours, timeout=0.2)
        line = "6,Editor,text,," + hexed + ","
        if answered:
            assert connection.request(line) == b"0,QTextEdit"
        else:
            with pytest.raises(errors.AgentLost):
                connection.request(line)
        ours.close()
        theirs.close()
