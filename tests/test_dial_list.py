"""The dial list of VEMRO.exe: loading "dial_list.txt", dialling an entry,
saving a typed number, and what the user meets when the file cannot be written.

Every case runs the real program under Wine in a fresh working folder.
"""
import os
import subprocess
import time

import pytest

from wine_rig import bin_path, exited_normally, key_values, wait_until, without_repeats

FILE = "dial_list.txt"
FREE_POINTS = [(350, 30), (105, 170), (200, 300)]  # right of the box, between and below the keys
ERROR_CAPTION = "エラー".encode("cp932")
ERROR_TEXT = "番号を「dial_list.txt」に保存できませんでした。".encode("cp932")


class Dialler:
    """VEMRO running in its own working folder, driven by window_probe."""

    def __init__(self, rig, folder):
        self.rig, self.folder = rig, folder
        self.process = rig.start_program("VEMRO.exe", cwd=folder)

    def probe(self, *args):
        return key_values(self.rig.probe(*args, cwd=self.folder))

    def probe_in_background(self, *args):
        """For a message that may block on a message box."""
        return self.rig.start_program("window_probe.exe", *args, cwd=self.folder)

    def state(self):
        """(entries, selection, edit field text) as bytes and index."""
        out = self.probe("entries")
        entries = [bytes.fromhex(v) for k, v in out if k == "entry"]
        values = dict(out)
        return entries, int(values["list_selection"]), bytes.fromhex(values["edit_text"])

    def entries(self):
        return self.state()[0]

    def set_text(self, text):
        self.probe("settext", text.hex(" "))

    def real_move(self, x, y):
        """Moves the X pointer over client point (x, y), as the user's mouse does."""
        self.rig.xdotool("mousemove", *self.rig.screen_point(x, y))

    def click_edit_field(self):
        self.rig.xdotool("mousemove", *self.rig.screen_point(100, 10), "click", "1")

    def file_bytes(self):
        with open(os.path.join(self.folder, FILE), "rb") as f:
            return f.read()

    def close(self):
        self.probe("close")
        try:
            code = self.process.wait(60)
        finally:
            if self.process.poll() is None:
                self.process.kill()
        assert exited_normally(code)


@pytest.fixture
def start(rig, tmp_path):
    """start(file bytes or None) runs VEMRO in a fresh folder holding that file."""
    running = []

    def start(content=None):
        if content is not None:
            (tmp_path / FILE).write_bytes(content)
        dialler = Dialler(rig, str(tmp_path))
        running.append(dialler)
        return dialler

    yield start
    for dialler in running:
        if dialler.process.poll() is None:
            dialler.close()


# --- loading -----------------------------------------------------------

PATTERN = b"0123456789" * 60  # a 600-byte line without blanks


@pytest.mark.parametrize("content, entries", [
    (b"111\r\n222\n333", [b"111", b"222", b"333"]),
    (b"12\r34\r\n", [b"1234"]),
    (b"12 34 56\r\n", [b"12"]),
    (b" \t  0312\r\n", [b"0312"]),
    (b"555\r\n555\r\n", [b"555", b"555"]),
    (b"111\r\n \t \r\n\r\n222\r\n", [b"111", b"222"]),
    (b"111\r\n222\x1a333\r\n444\r\n", [b"111", b"222"]),
    (b"7" * 254 + b"\r\n", [b"7" * 254]),
    (PATTERN + b"\r\n", [PATTERN[:254], PATTERN[254:508], PATTERN[508:]]),
    (b"911\r\n0120\r\n5551234\r\n0312\r\n", [b"0120", b"0312", b"5551234", b"911"]),
    (None, []),
], ids=["crlf-and-lf", "cr-inside-line", "first-word", "leading-blanks", "duplicate",
        "blank-lines", "ctrl-z-ends-data", "254-bytes", "600-bytes", "sorted", "no-file"])
def test_loads_entries_from_the_file(start, content, entries):
    dialler = start(content)
    assert dialler.state() == (entries, -1, b"")


# --- dialling ----------------------------------------------------------

@pytest.mark.parametrize("entry, heard", [
    (b"1-2 3a", "123"),  # blanks, hyphens and lower case are no tone keys
    (b"\x83\x41", "A"),  # a double-byte character whose second byte is "A"
    (b"*0#9D", "*0#9D"),
], ids=["silent-bytes", "double-byte", "symbols"])
def test_selecting_an_entry_dials_its_tone_keys(rig, start, entry, heard):
    dialler = start()
    dialler.set_text(entry)
    dialler.probe("mousemove", "350", "30")
    assert dialler.entries() == [entry]
    with rig.recording() as rec:
        dialler.probe("select", "0")
    assert without_repeats(rec.keys()) == heard


def test_down_arrow_dials_each_entry_it_passes(rig, start):
    dialler = start(b"59\r\n13\r\n")
    dialler.click_edit_field()
    with rig.recording() as rec:
        for index in (0, 1):
            rig.xdotool("key", "Down")
            wait_until(lambda: dialler.state()[1] == index, "no selection %d" % index)
    assert without_repeats(rec.keys()) == "1359"


def test_selection_change_without_selection_dials_nothing(rig, start):
    dialler = start(b"123\r\n")
    with rig.recording() as rec:
        dialler.probe("select", "0")
    assert without_repeats(rec.keys()) == "123"
    with rig.recording() as rec:
        dialler.probe("select", "-1")  # clears the selection, then notifies
    assert dialler.state()[1] == -1
    assert rec.keys() == "" and rec.tone_onsets() == []


# --- saving --------------------------------------------------------------

def test_typed_number_is_appended_once_and_listed_in_place(start):
    dialler = start(b"0120\r\n911\r\n")
    dialler.set_text(b"5551234")
    dialler.probe("mousemove", "350", "30")
    assert dialler.file_bytes() == b"0120\r\n911\r\n5551234\r\n"
    assert dialler.state() == ([b"0120", b"5551234", b"911"], -1, b"5551234")
    dialler.probe("mousemove", "380", "200")
    assert dialler.file_bytes() == b"0120\r\n911\r\n5551234\r\n"
    assert dialler.entries() == [b"0120", b"5551234", b"911"]


@pytest.mark.parametrize("typed, saved", [
    (b"", False),
    (b"12A", False),
    (b"12a", True),  # compared byte for byte
    (b"   ", True),  # blanks are text too
    ("０３".encode("cp932"), True),
], ids=["empty", "equal", "other-case", "blanks", "full-width"])
def test_only_new_nonempty_text_is_saved(start, typed, saved):
    dialler = start(b"12A\r\n")
    dialler.set_text(typed)
    dialler.probe("mousemove", "350", "30")
    added = [typed] if saved else []
    assert dialler.file_bytes() == b"12A\r\n" + b"".join(t + b"\r\n" for t in added)
    assert sorted(dialler.entries()) == sorted([b"12A"] + added)


def test_number_typed_in_two_goes_is_saved_twice(start):
    dialler = start()
    for text in (b"03", b"0312"):
        dialler.set_text(text)
        dialler.probe("mousemove", "350", "30")
    assert dialler.file_bytes() == b"03\r\n0312\r\n"
    assert dialler.entries() == [b"03", b"0312"]


def test_mouse_over_the_controls_saves_nothing(start):
    dialler = start(b"0120\r\n")
    dialler.set_text(b"0312")
    for point in [(60, 120), (330, 270), (100, 10), (150, 60)]:  # keys "１" and "D", the box
        dialler.real_move(*point)
    time.sleep(1)
    assert dialler.file_bytes() == b"0120\r\n"
    assert dialler.entries() == [b"0120"]
    dialler.real_move(*FREE_POINTS[0])  # the same moves do save over the window itself
    wait_until(lambda: dialler.entries() == [b"0120", b"0312"], "not saved")
    assert dialler.file_bytes() == b"0120\r\n0312\r\n"


@pytest.mark.parametrize("free_point", FREE_POINTS, ids=["right-of-box", "between-keys", "below-keys"])
def test_typed_number_survives_a_restart(start, rig, free_point):
    dialler = start()
    dialler.click_edit_field()
    rig.xdotool("type", "0312#")
    wait_until(lambda: dialler.state()[2] == b"0312#", "no typed text")
    dialler.real_move(*free_point)
    wait_until(lambda: dialler.entries() == [b"0312#"], "not saved")
    dialler.close()
    assert dialler.file_bytes() == b"0312#\r\n"
    assert start().entries() == [b"0312#"]


# --- a file that cannot be written ---------------------------------------

@pytest.fixture
def hold_file(rig):
    """hold_file(folder): another program opens the folder's dial list,
    letting others read it but not write it, until the test ends."""
    holders = []

    def hold(folder):
        holder = subprocess.Popen(["wine", bin_path("hold_file.exe"), FILE], env=rig.env, cwd=folder,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        holders.append(holder)
        assert holder.stdout.readline().strip() == b"held=1"

    yield hold
    for holder in holders:
        holder.stdin.close()
        assert holder.wait(60) == 0


@pytest.mark.parametrize("fault", ["folder", "held"])
def test_unsaved_number_is_reported_once_and_still_listed(start, hold_file, tmp_path, fault):
    if fault == "folder":
        (tmp_path / FILE).mkdir()  # cannot be read or appended to
        dialler = start()
        before = []
    else:
        dialler = start(b"0120\r\n")
        hold_file(str(tmp_path))
        before = [b"0120"]
    assert dialler.entries() == before

    dialler.set_text(b"0312")
    move = dialler.probe_in_background("mousemove", "350", "30")  # waits for the box
    box = dict(dialler.probe("about"))
    assert move.wait(60) == 0
    assert (box["box"], bytes.fromhex(box["caption"]), bytes.fromhex(box["text"])) == (
        "found", ERROR_CAPTION, ERROR_TEXT)
    assert box["main_enabled"] == "0"  # owned by the main window and modal to it
    assert dialler.entries() == sorted(before + [b"0312"])

    move = dialler.probe_in_background("mousemove", "350", "30")
    assert dict(dialler.probe("about"))["box"] == "none"
    assert move.wait(60) == 0
    if fault == "folder":
        assert (tmp_path / FILE).is_dir() and not os.listdir(tmp_path / FILE)
    else:
        assert (tmp_path / FILE).read_bytes() == b"0120\r\n"
