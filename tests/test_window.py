"""VEMRO.exe as built and run: its start-up, main window and keypad."""
import array
import re
import struct
import time

import pefile
import pytest

from wine_rig import RATE, bin_path, key_values, pe_resources, without_repeats

TITLE = b"VEMRO: tone dialler"
WS_VSCROLL = 0x00200000
BUTTON_STYLE = 0x50000000  # WS_CHILD | WS_VISIBLE: a plain push button
LIST_STYLE = 0x50000100  # WS_CHILD | WS_VISIBLE | CBS_SORT, besides WS_VSCROLL

# control id: (label bytes in code page 932, key played, x, y) of each button;
# the bottom row of the telephone block reads ＊ ０ ＃ with ids 10, 9, 11.
KEYPAD = {
    0: (b"\x82\x50", "1", 20, 100), 1: (b"\x82\x51", "2", 110, 100), 2: (b"\x82\x52", "3", 200, 100),
    3: (b"\x82\x53", "4", 20, 150), 4: (b"\x82\x54", "5", 110, 150), 5: (b"\x82\x55", "6", 200, 150),
    6: (b"\x82\x56", "7", 20, 200), 7: (b"\x82\x57", "8", 110, 200), 8: (b"\x82\x58", "9", 200, 200),
    10: (b"\x81\x96", "*", 20, 250), 9: (b"\x82\x4f", "0", 110, 250), 11: (b"\x81\x94", "#", 200, 250),
    12: (b"A", "A", 290, 100), 13: (b"B", "B", 290, 150), 14: (b"C", "C", 290, 200), 15: (b"D", "D", 290, 250),
}

CHILD = re.compile(r"child id=(-?\d+) class=(\S+) text=(.*) x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+) "
                   r"style=(\S+)$")


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
    rig.probe("screen-point", 0, 0)  # waits for the window
    return proc


def close(rig, proc):
    rig.probe("close")
    return proc.wait(60)


LOUD = 2000  # the level above which a sample counts as sound
TONE_LOUD_SECONDS = 0.077  # how long one tone clip stays above it


def tones_heard(rec):
    """How many tones' worth of sound a recording holds.  Unlike counting
    onsets, this is not fooled by a dropout that splits one tone in two."""
    loud = sum(abs(value) > LOUD for value in array.array("h", rec.samples()))
    return round(loud / RATE / TONE_LOUD_SECONDS)


def heard_from(rig, *args):
    """(keys heard, number of tones) while window_probe runs with the arguments."""
    with rig.recording() as rec:
        rig.probe(*args)
    return without_repeats(rec.keys()), tones_heard(rec)


def button_centre(rig, ident):
    _label, _key, x, y = KEYPAD[ident]
    return rig.screen_point(x + 40, y + 20)


# --- the running window ---------------------------------------------------

@pytest.fixture(scope="class")
def dialler(rig, tmp_path_factory):
    proc = start_dialler(rig, tmp_path_factory)
    yield proc
    if proc.poll() is None:
        close(rig, proc)


@pytest.mark.usefixtures("dialler")
class TestRunningWindow:
    def test_class_and_title(self, rig):
        info = dict(key_values(rig.probe("info")))
        assert (info["class"], bytes.fromhex(info["title"])) == ("Default Class Name", TITLE)

    def test_keypad_and_list_box_layout(self, rig):
        found = children(rig.probe("info"))
        expected = {("BUTTON", ident): (label, x, y, 80, 40, BUTTON_STYLE)
                    for ident, (label, _key, x, y) in KEYPAD.items()}
        list_box = found.pop(("COMBOBOX", 1))
        assert found == expected
        assert list_box[1:5] == (0, 0, 300, 100)  # a simple combo box keeps the height it was given
        # Wine's combo box drops the scroll bar styles from its own style.
        assert list_box[5] & ~WS_VSCROLL == LIST_STYLE

    @pytest.mark.parametrize("ident", sorted(KEYPAD))
    def test_press_plays_its_key_once(self, rig, ident):
        assert heard_from(rig, "click", ident) == (KEYPAD[ident][1], 1)

    @pytest.mark.parametrize("ident", [10, 9])  # the bottom row reads ＊ ０ with ids 10, 9
    def test_mouse_click_plays_the_key_under_the_pointer(self, rig, ident):
        x, y = button_centre(rig, ident)
        with rig.recording() as rec:
            rig.xdotool("mousemove", "--sync", x, y, "click", "1")
            time.sleep(1.5)
        assert (without_repeats(rec.keys()), tones_heard(rec)) == (KEYPAD[ident][1], 1)

    def test_two_quick_presses_play_one_after_the_other(self, rig):
        (x1, y1), (x2, y2) = button_centre(rig, 0), button_centre(rig, 15)
        with rig.recording() as rec:
            rig.xdotool("mousemove", "--sync", x1, y1, "click", "1", "mousemove", "--sync", x2, y2, "click", "1")
            time.sleep(2)
        onsets = rec.tone_onsets(LOUD)
        assert (without_repeats(rec.keys()), tones_heard(rec)) == ("1D", 2)
        assert onsets[-1] - onsets[0] >= 0.095  # the second began after the first had played

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
        assert heard_from(rig, "command", ident) == ("", 0)
        assert dialler.poll() is None
        assert dict(key_values(rig.probe("info")))["class"] == "Default Class Name"


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


# The platform caps a new window's size at the screen plus its sizing frame
# (6 pixels a side here), so on the smallest screens the window is smaller.
@pytest.mark.parametrize("size, x, y, w, h", [
    ("1024x768", 312, 204, 400, 360),
    ("1920x1080", 760, 360, 400, 360),
    ("800x600", 200, 120, 400, 360),
    ("399x300", 0, -30, 400, 312),  # -0.5 rounds toward zero
    ("320x240", -40, -60, 332, 252),  # never moved onto a small screen
])
def test_window_is_centred_on_the_screen(rig, tmp_path_factory, use_screen, size, x, y, w, h):
    use_screen(size)
    proc = start_dialler(rig, tmp_path_factory)
    info = dict(key_values(rig.probe("info")))
    close(rig, proc)
    assert info["screen"] == size
    assert (int(info["x"]), int(info["y"]), int(info["w"]), int(info["h"])) == (x, y, w, h)


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
    groups = pe_resources(exe, 14)  # RT_GROUP_ICON
    assert list(groups) == [(200, 1041)]
    group = groups[(200, 1041)]
    assert struct.unpack_from("<HHH", group) == (0, 1, 1) and len(group) == 6 + 14
    width, height, colours, _reserved, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
    assert (width, height, colours, planes, bits) == (32, 32, 16, 1, 4)
    image = pe_resources(exe, 3)[(icon_id, 1041)]  # RT_ICON
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
