"""VEMRO.exe's menu bar and About box: the menu resource, the menu driven
with real keys, the commands' effects, and the About box."""
import os
import struct
import subprocess

import pefile
import pytest

from wine_rig import bin_path, key_values, pe_resources, wait_until

SEPARATOR = None
# (drop-down, [(item, command id) or SEPARATOR, ...]) in menu-bar order.
MENU = [
    ("ファイル(&F)", [("新規(&N)", 100), ("データを開く(&O)", 101), ("データの保存(&S)", 102),
                    ("名前をつけて保存(&A)", 103), SEPARATOR, ("終了(&X)", 104)]),
    ("編集(&E)", [("切り取り(&T)", 105), ("コピー(&C)", 106), ("貼り付け(&P)", 107)]),
    ("表示(&V)", [("標準(&S)", 108)]),
    ("ヘルプ(&H)", [("ヴァージョン情報(&V)", 109)]),
]
# The commands that do nothing, with the mnemonics that reach them.
IDLE_COMMANDS = [(100, "f", "n"), (101, "f", "o"), (102, "f", "s"), (103, "f", "a"),
                 (105, "e", "t"), (106, "e", "c"), (107, "e", "p"), (108, "v", "s")]

MF_POPUP, MF_END, MF_SEPARATOR = 0x10, 0x80, 0x800
RT_MENU, JAPANESE = 4, 1041
MAIN_TITLE = "^VEMRO: tone dialler$"


# --- the menu resource ----------------------------------------------------

def parse_items(template, offset):
    """One level of a standard menu template: (items as in MENU, next offset).

    Any flag other than the drop-down and end marks (greyed, checked, ...)
    shows up in the result, so it cannot match MENU."""
    items = []
    while True:
        (option,) = struct.unpack_from("<H", template, offset)
        offset += 2
        command = None
        if not option & MF_POPUP:
            (command,) = struct.unpack_from("<H", template, offset)
            offset += 2
        end = template.index(b"\0\0", offset)
        while (end - offset) % 2:
            end = template.index(b"\0\0", end + 1)
        text = template[offset:end].decode("utf-16-le")
        offset = end + 2
        flags = option & ~(MF_POPUP | MF_END)
        if option & MF_POPUP:
            children, offset = parse_items(template, offset)
            items.append((text, children) if not flags else (text, flags, children))
        elif text == "" and command == 0 and flags in (0, MF_SEPARATOR):
            items.append(SEPARATOR)
        else:
            items.append((text, command) if not flags else (text, command, flags))
        if option & MF_END:
            return items, offset


def test_menu_resource_holds_the_four_drop_downs():
    menus = pe_resources(pefile.PE(bin_path("VEMRO.exe")), RT_MENU)
    assert list(menus) == [("MYMENU", JAPANESE)]
    template = menus[("MYMENU", JAPANESE)]
    assert struct.unpack_from("<HH", template) == (0, 0)  # standard template, items follow
    items, end = parse_items(template, 4)
    assert items == MENU
    assert template[end:].strip(b"\0") == b""


# --- the running program ------------------------------------------------------

def press(rig, *keys):
    """Real key presses into the main window (there is no window manager to
    hand it the focus)."""
    window = rig.xdotool("search", "--name", MAIN_TITLE).split()[0]
    rig.xdotool("windowfocus", "--sync", window)
    rig.xdotool("key", "--delay", "100", *keys)


def open_drop_downs(rig):
    """The dialler's visible windows without a title: its open drop-down menus."""
    try:
        shown = rig.xdotool("search", "--onlyvisible", "--classname", "vemro").split()
    except subprocess.CalledProcessError:  # nothing shown at all
        return []
    return [w for w in shown if not rig.xdotool("getwindowname", w).strip()]


def folder_contents(folder):
    contents = {}
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "rb") as f:
            contents[name] = f.read()
    return contents


@pytest.fixture
def dialler(rig, tmp_path):
    """A running VEMRO with one stored number, in a folder of its own; it
    returns (process, folder) once its window is up."""
    (tmp_path / "dial_list.txt").write_bytes(b"0312345678\r\n")
    proc = rig.start_program("VEMRO.exe", cwd=str(tmp_path))
    assert dict(key_values(rig.probe("info")))["list_count"] == "1"  # waits for the window
    yield proc, tmp_path
    if proc.poll() is None:
        rig.wine("window_probe.exe", "close")
        try:
            proc.wait(30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


@pytest.mark.parametrize("command, menu_key, item_key", IDLE_COMMANDS)
def test_idle_command_changes_nothing(rig, dialler, command, menu_key, item_key):
    proc, folder = dialler
    before, files = rig.probe("info"), folder_contents(folder)
    with rig.recording() as rec:
        rig.probe("command", command)
        press(rig, "alt+" + menu_key)
        wait_until(lambda: open_drop_downs(rig), "alt+%s opens no drop-down" % menu_key)
        press(rig, item_key)
        wait_until(lambda: not open_drop_downs(rig), "%s chooses no item" % item_key)
        after = rig.probe("info")
    assert rec.keys() == "" and rec.tone_onsets() == []
    assert proc.poll() is None
    assert after == before
    assert folder_contents(folder) == files


def open_about_with_keys(rig):
    press(rig, "alt+h")
    wait_until(lambda: open_drop_downs(rig), "alt+h opens no drop-down")
    press(rig, "v")


def open_about_with_command(rig):
    # The command returns only when the modal box is closed.
    return rig.start_program("window_probe.exe", "command", "109")


@pytest.mark.parametrize("open_about", [open_about_with_keys, open_about_with_command],
                         ids=["alt+h v", "command 109"])
def test_about_box(rig, dialler, open_about):
    proc, _folder = dialler
    before = rig.probe("info")
    sender = open_about(rig)
    box = dict(key_values(rig.probe("about")))  # reports the box, then presses its OK
    if sender:
        assert sender.wait(60) == 0
    assert box["box"] == "found"  # a box owned by the main window
    assert box["main_enabled"] == "0"  # modal
    assert bytes.fromhex(box["caption"]) == "バージョン情報".encode("cp932")
    text = bytes.fromhex(box["text"])
    assert b"\r" not in text
    lines = text.split(b"\n")
    assert lines[:2] == [b"VEMRO.exe version 1.0A", b"TONE DIALLER"]
    assert len(lines) == 3 and lines[2].decode("cp932").strip()
    assert rig.probe("info") == before
    assert proc.poll() is None


@pytest.mark.parametrize("close", [
    lambda rig: press(rig, "alt+f", "x"),
    lambda rig: rig.probe("command", "104"),
    lambda rig: rig.probe("close"),
    lambda rig: press(rig, "alt+F4"),
], ids=["alt+f x", "command 104", "close button", "alt+f4"])
def test_exit_ends_the_process_with_code_0(rig, dialler, close):
    proc, folder = dialler
    files = folder_contents(folder)
    close(rig)
    assert proc.wait(30) == 0
    assert folder_contents(folder) == files  # nothing saved on the way out
