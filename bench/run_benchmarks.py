#!/usr/bin/env python3
"""Prints the product's speed and size figures, measured under Wine on the
test rig's virtual display and real-time sound sink."""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from wine_rig import Rig, bin_path  # noqa: E402


def figures(out):
    return {k: float(v) for k, v in (line.split("=") for line in out.decode().split())}


def write_dial_list(folder, count):
    if count:
        with open(os.path.join(folder, "dial_list.txt"), "wb") as f:
            f.writelines(b"%011d\r\n" % (3120000000 + i * 7919) for i in range(count))


def tone_library(rig):
    print("== PlayDTMF (waiting) against PlaySoundA + Sleep on the calling thread")
    code, out = rig.wine("tone_bench.exe")
    print(out.decode().replace("\r", ""), end="")


def startup_and_press(rig, work):
    print("== Start-up to a visible window (median of 5 starts)")
    z = lambda name: "Z:" + bin_path(name).replace("/", "\\")
    _, out = rig.wine("ui_bench.exe", "startup", z("minimal_window.exe"), "Minimal Window", "5", cwd=work)
    minimal = figures(out)["startup_ms"]
    _, out = rig.wine("ui_bench.exe", "startup", z("VEMRO.exe"), "Default Class Name", "5", cwd=work)
    vemro = figures(out)["startup_ms"]
    print("minimal window %.1f ms, VEMRO.exe %.1f ms, ratio %.3fx" % (minimal, vemro, vemro / minimal))

    print("== Keypad press until PlayDTMF returns, against PlaySoundA of the same clip (median of 10)")
    dialler = rig.start_program("VEMRO.exe", cwd=work)
    try:
        rig.wine("window_probe.exe", "info")  # waits for the window
        _, out = rig.wine("ui_bench.exe", "press", "10")
        f = figures(out)
        print("press %.1f ms, PlaySoundA %.1f ms, ratio %.3fx" % (f["press_ms"], f["playsound_ms"],
                                                                 f["press_ms"] / f["playsound_ms"]))
    finally:
        rig.wine("window_probe.exe", "close")
        dialler.wait(60)


def dial_list(rig, work):
    print("== Dial list: start-up and one save check by entry count")
    z_vemro = "Z:" + bin_path("VEMRO.exe").replace("/", "\\")
    rows = []
    for count in (0, 100, 1000, 10000):
        folder = tempfile.mkdtemp(dir=work)
        write_dial_list(folder, count)
        _, out = rig.wine("ui_bench.exe", "startup", z_vemro, "Default Class Name", "3", cwd=folder)
        startup = figures(out)["startup_ms"]
        dialler = rig.start_program("VEMRO.exe", cwd=folder)
        try:
            rig.wine("window_probe.exe", "settext", "39 39 39")  # a new number: every entry is compared
            _, out = rig.wine("window_probe.exe", "time-mousemove", "1", cwd=folder)  # saves it once
            _, out = rig.wine("window_probe.exe", "time-mousemove", "20", cwd=folder)
            check = figures(out)["ms_per_check"]
        finally:
            rig.wine("window_probe.exe", "close")
            dialler.wait(60)
        rows.append((count, startup, check))
    empty, base = rows[0], rows[1]
    print("%8s %12s %10s %10s %14s %10s" % ("entries", "start-up", "vs empty", "vs 100", "save check", "vs 100"))
    for count, startup, check in rows:
        print("%8d %10.1fms %9.3fx %9.3fx %12.3fms %9.2fx" % (
            count, startup, startup / empty[1], startup / base[1], check, check / base[2]))


def sizes():
    print("== Sizes")
    dll = os.path.getsize(bin_path("BRISOL.DLL"))
    exe = os.path.getsize(bin_path("VEMRO.exe"))
    clip_dir = os.path.join(os.path.dirname(bin_path("x")), "..", "tone_library", "clips")
    clips = sum(os.path.getsize(os.path.join(clip_dir, f)) for f in os.listdir(clip_dir))
    print("VEMRO.exe %d bytes (%.1f KB); BRISOL.DLL %d bytes = clips %d + %d (%.1f KB) of code and tables"
          % (exe, exe / 1024, dll, clips, dll - clips, (dll - clips) / 1024))


def main():
    rig = Rig()
    work = tempfile.mkdtemp(dir=rig.dir)
    try:
        rig.start()
        sizes()
        tone_library(rig)
        startup_and_press(rig, work)
        dial_list(rig, work)
    finally:
        rig.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
