"""VEMRO.exe as built and run: its start-up, main window and keypad."""
import re
import struct
import time

import pefile
import pytest

from test_tone_library import resources, without_repeats
from wine_rig import bin_path

TITLE = b"VEMRO: tone dialler"
WS_VSCROLL = 0x00200000
BUTTON_STYLE = 0x50000000  # WS_CHILD | WS_VISIBLE: a plain push button
LIST_STYLE = 0x50000100  # WS_CHILD | WS_VISIBLE | CBS_SORT, besides WS_VSCROLL

# control id: (label in code page 932, key played, x, y) of each keypad button
KEYPAD = {
    0: ("１", "1", 20, 100), 1: ("２", "2", 110, 100), 2: ("３", "3", 200, 100),
    3: ("４", "4", 20, 150), 4: ("５", "5", 110, 150), 5: ("６", "6", 200, 150),
    6: ("７", "7", 20, 200), 7: ("８", "8", 110, 200), 8: ("９", "9", 200, 200),
    10: ("＊", "*", 20, 250), 9: ("０", "0", 110, 250), 11: ("＃", "#", 200, 250),
    12: ("A", "A", 290, 100), 13: ("B", "B", 290, 150), 14: ("C", "C", 290, 200),
    15: ("D", "D", 290, 250),
}

CHILD = re.compile(r"child id=(-?\d+) class=(\S+) text=(.*) x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+) "
                   r"style=(\S+)$")


def probe(rig, *args):
    code, out = rig.wine("window_probe.exe", *map(str, args))
    assert code == 0, "window_probe %s failed with %s" % (args, code)
    return out.decode().splitlines()


def values(lines):
    """The key=value lines that hold one value each."""
    return dict(line.split("=", 1) for line in lines if "=" in line and not line.startswith("child "))


def children(lines):
    """{(class, id): (text bytes, x, y, w, h, style)} of the listed child windows."""
    found = {}
    for line in lines:
        match = CHILD.match(line)
        if match:
            ident, cls, text, x, y, w, h, style = match.groups()
            found[(cls.upper(), int(ident))] = (bytes.fromhex(text), int(x), int(y), int(w), int(h),
                                                int(style, 16))
    return found


def start_dialler(rig, tmp_path_factory):
    """A fresh VEMRO in an empty folder, once its window is up."""
    proc = rig.start_program("VEMRO.exe", cwd=str(tmp_path_factory.mktemp("dialler")))
    probe(rig, "screen-point", 0, 0)  # waits for the window
    return proc


def close(rig, proc):
    probe(rig, "close")
    return proc.wait(60)


def heard_from(rig, *args):
    """(keys heard, tone onsets) while window_probe runs with the arguments."""
    with rig.recording() as rec:
        probe(rig, *args)
    return without_repeats(rec.keys()), rec.tone_onsets()


def screen_point(rig, x, y):
    point = values(probe(rig, "screen-point", x, y))
    return point["x"], point["y"]


def button_centre(rig, ident):
    _label, _key, x, y = KEYPAD[ident]
    return screen_point(rig, x + 40, y + 20)


# --- the running window ---------------------------------------------------

@pytest.fixture(scope="class")
def dialler(rig, tmp_path_factory):
    proc = start_dialler(rig, tmp_path_factory)
    yield proc
    if proc.poll() is None:
        close(rig, proc)


@pytest.mark.usefixtures("dialler")
class TestRunningWindow:
    def test_main_window(self, rig):
        info = values(probe(rig, "info"))
        assert info["class"] == "Default Class Name"
        assert bytes.fromhex(info["title"]) == TITLE
        assert (info["x"], info["y"], info["w"], info["h"]) == ("312", "204", "400", "360")

    def test_keypad_and_list_box_layout(self, rig):
        found = children(probe(rig, "info"))
        expected = {("BUTTON", ident): (label.encode("cp932"), x, y, 80, 40, BUTTON_STYLE)
                    for ident, (label, _key, x, y) in KEYPAD.items()}
        list_box = found.pop(("COMBOBOX", 1))
        assert found == expected
        assert list_box[1:4] == (0, 0, 300)
        assert list_box[4] in (100, 100 - 2)  # a simple combo box keeps the height it was given
        # Wine keeps a combo box's scroll bar styles off the box itself and
        # hands WS_VSCROLL on to the box's list.
        assert list_box[5] & ~WS_VSCROLL == LIST_STYLE
        parts = children(probe(rig, "list-parts"))
        assert [style & WS_VSCROLL for (cls, _id), (*_rest, style) in parts.items()
                if cls == "COMBOLBOX"] == [WS_VSCROLL]

    def test_labels_in_code_page_932(self):
        labels = {ident: label.encode("cp932") for ident, (label, *_rest) in KEYPAD.items()}
        assert (labels[0], labels[10], labels[9], labels[12]) == (b"\x82\x50", b"\x81\x96", b"\x82\x4f", b"A")

    @pytest.mark.parametrize("ident", sorted(KEYPAD))
    def test_press_plays_its_key_once(self, rig, ident):
        keys, onsets = heard_from(rig, "click", ident)
        assert (keys, len(onsets)) == (KEYPAD[ident][1], 1)

    @pytest.mark.parametrize("ident", [10, 9])  # the bottom row reads ＊ ０ with ids 10, 9
    def test_mouse_click_plays_the_key_under_the_pointer(self, rig, ident):
        x, y = button_centre(rig, ident)
        with rig.recording() as rec:
            rig.xdotool("mousemove", "--sync", x, y, "click", "1")
            time.sleep(1.5)
        assert (without_repeats(rec.keys()), len(rec.tone_onsets())) == (KEYPAD[ident][1], 1)

    def test_two_quick_presses_play_one_after_the_other(self, rig):
        (x1, y1), (x2, y2) = button_centre(rig, 0), button_centre(rig, 15)
        with rig.recording() as rec:
            rig.xdotool("mousemove", "--sync", x1, y1, "click", "1", "mousemove", "--sync", x2, y2, "click", "1")
            time.sleep(2)
        onsets = rec.tone_onsets()
        assert without_repeats(rec.keys()) == "1D"
        assert len(onsets) == 2
        assert onsets[1] - onsets[0] >= 0.095  # the first tone has played to its end

    @pytest.mark.parametrize("message, heard", [
        (("list-notify", 5), ""),  # CBN_EDITCHANGE from the list box, whose id 1 is the key "２"
        (("list-notify", 6), ""),  # CBN_EDITUPDATE
        (("click", 1), "2"),  # the button "２" itself
        (("command", 1, 5), "2"),  # id 1 with no sender and any code
    ])
    def test_id_1_plays_only_from_outside_the_list_box(self, rig, message, heard):
        assert heard_from(rig, *message)[0] == heard

    @pytest.mark.parametrize("ident", [16, 99, 100, 103, 105, 108, 110, 65535])
    def test_other_command_ids_do_nothing(self, rig, dialler, ident):
        assert heard_from(rig, "command", ident) == ("", [])
        assert dialler.poll() is None
        assert values(probe(rig, "info"))["class"] == "Default Class Name"


# --- start and end ----------------------------------------------------------

def alt_f4(rig, proc):
    window = rig.xdotool("search", "--sync", "--name", TITLE.decode()).split()[0]
    rig.xdotool("key", "--window", window, "alt+F4")
    return proc.wait(60)


@pytest.mark.parametrize("how", [close, alt_f4], ids=["WM_CLOSE", "Alt+F4"])
def test_closing_the_window_ends_with_exit_code_0(rig, tmp_path_factory, how):
    # A process that has played no sound: the emulator lets it end cleanly.
    proc = start_dialler(rig, tmp_path_factory)
    assert how(rig, proc) == 0


@pytest.fixture(scope="module")
def use_screen(rig):
    """Switches the display to another size; 1024x768 again at the end."""
    current = ["1024x768"]

    def use(size):
        if size != current[0]:
            rig.start_display(size)
            current[0] = size

    yield use
    use("1024x768")


@pytest.mark.parametrize("size, x, y", [
    ("1024x768", 312, 204),
    ("1920x1080", 760, 360),
    ("800x600", 200, 120),
    ("399x300", 0, -30),  # -0.5 rounds toward zero
    ("320x240", -40, -60),  # never clamped onto a small screen
])
def test_window_is_centred_on_the_screen(rig, tmp_path_factory, use_screen, size, x, y):
    use_screen(size)
    proc = start_dialler(rig, tmp_path_factory)
    info = values(probe(rig, "info"))
    close(rig, proc)
    assert info["screen"] == size
    assert (int(info["x"]), int(info["y"]), int(info["w"]), int(info["h"])) == (x, y, 400, 360)


# --- the program file ---------------------------------------------------------

@pytest.fixture(scope="module")
def exe():
    return pefile.PE(bin_path("VEMRO.exe"))


def test_a_32_bit_gui_program(exe):
    assert exe.FILE_HEADER.Machine == 0x14C and exe.is_exe() and not exe.is_dll()
    assert exe.OPTIONAL_HEADER.Subsystem == 2


def test_imports_play_dtmf_by_ordinal_and_otherwise_only_system_dlls(exe):
    imports = {entry.dll.decode().lower(): entry.imports for entry in exe.DIRECTORY_ENTRY_IMPORT}
    brisol = imports.pop("brisol.dll")
    assert [(i.ordinal, i.name, i.import_by_ordinal) for i in brisol] == [(1, None, True)]
    assert sorted(imports) == ["gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"]


def test_icon_is_one_32x32_16_colour_image(exe):
    groups = resources(exe, 14)  # RT_GROUP_ICON
    assert list(groups) == [(200, 1041)]
    group = groups[(200, 1041)]
    assert struct.unpack_from("<HHH", group) == (0, 1, 1) and len(group) == 6 + 14
    width, height, colours, _reserved, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
    assert (width, height, colours, planes, bits) == (32, 32, 16, 1, 4)
    image = resources(exe, 3)[(icon_id, 1041)]  # RT_ICON
    assert len(image) == size == 40 + 16 * 4 + 32 * 32 // 2 + 32 * 4  # header, palette, colours, mask
    assert struct.unpack_from("<IiiHH", image) == (40, 32, 64, 1, 4)


def test_version_block(exe):
    tables = {table.LangID: table.entries for info in exe.FileInfo[0] if info.Key == b"StringFileInfo"
              for table in info.StringTable}
    assert list(tables) == [b"041103A4"]
    strings = tables[b"041103A4"]
    assert strings[b"FileVersion"] == strings[b"ProductVersion"] == b"Ver 1.0A"
    for empty in (b"Comments", b"FileDescription", b"LegalTrademarks", b"PrivateBuild", b"SpecialBuild"):
        assert strings[empty] == b""
    translations = [var.entry for info in exe.FileInfo[0] if info.Key == b"VarFileInfo" for var in info.Var]
    assert translations == [{b"Translation": "0x0411 0x03a4"}]
    fixed = exe.VS_FIXEDFILEINFO[0]
    assert (fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS) == (
        0x10000, 1, 0x10000, 1)
    assert (fixed.FileOS, fixed.FileType, fixed.FileSubtype) == (0x10004, 1, 0)  # VOS_DOS_WINDOWS32, VFT_APP
