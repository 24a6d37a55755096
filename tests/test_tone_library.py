"""BRISOL.DLL as built: its clips, its export table, and the tones it plays."""
import struct
import time

import pefile
import pytest

from wine_rig import bin_path, exited_normally, pe_resources, without_repeats

# clip id: (key, low Hz, high Hz, samples, lead-in)
CLIPS = {
    104: ("0", 941, 1336, 4432, 12), 106: ("1", 697, 1209, 4417, 0),
    107: ("2", 697, 1336, 4408, 3), 108: ("#", 941, 1477, 4424, 12),
    109: ("3", 697, 1477, 4424, 7), 110: ("4", 770, 1209, 4424, 11),
    111: ("5", 770, 1336, 4408, 7), 112: ("6", 770, 1477, 4416, 3),
    113: ("7", 852, 1209, 4416, 8), 114: ("8", 852, 1336, 4424, 12),
    115: ("9", 852, 1477, 4432, 8), 116: ("A", 697, 1633, 4432, 8),
    117: ("*", 941, 1209, 4432, 8), 118: ("B", 770, 1633, 4424, 12),
    119: ("C", 852, 1633, 4424, 8), 120: ("D", 941, 1633, 4424, 12),
}
LAST_SAMPLE = {107: -94, 111: 84, 113: -50}


@pytest.fixture(scope="module")
def dll():
    return pefile.PE(bin_path("BRISOL.DLL"))


@pytest.fixture(scope="module")
def clips(dll):
    return pe_resources(dll, "WAVE")


def test_exactly_the_sixteen_clips_in_us_english(clips):
    assert sorted(clips) == [(clip_id, 1033) for clip_id in sorted(CLIPS)]


@pytest.mark.parametrize("clip_id", sorted(CLIPS))
def test_clip_bytes(clips, clip_id):
    _key, _low, _high, count, lead_in = CLIPS[clip_id]
    clip = clips[(clip_id, 1033)]
    data_bytes = 2 * count
    assert len(clip) == data_bytes + 118
    riff, riff_size, wave = struct.unpack_from("<4sI4s", clip)
    assert (riff, wave, riff_size + 8) == (b"RIFF", b"WAVE", len(clip))
    assert struct.unpack_from("<4sIHHIIHH4sI", clip, 12) == (
        b"fmt ", 16, 1, 1, 44100, 88200, 2, 16, b"data", data_bytes)

    samples = struct.unpack_from("<%dh" % count, clip, 44)
    assert samples[:lead_in + 1] == (0,) * (lead_in + 1)
    assert samples[lead_in + 1] != 0  # the burst starts right after the lead-in
    assert samples[-1] == LAST_SAMPLE.get(clip_id, 0)
    assert all(s % 2 == 0 for s in samples)
    assert 16446 <= max(abs(s) for s in samples) <= 16460

    trailer = clip[44 + data_bytes:]
    if clip_id == 118:
        assert trailer == b"LIST" + struct.pack("<I", 66) + bytes(66)
    else:
        assert trailer == bytes(74)


def test_clip_starts_as_the_burst_rule_gives(clips):
    def first(clip_id, n):
        return struct.unpack_from("<%dh" % n, clips[(clip_id, 1033)], 44)

    assert first(106, 6) == (0, 34, 136, 302, 526, 794)
    assert first(104, 18) == (0,) * 13 + (40, 162, 358, 616, 922)


def test_version_block(dll):
    info = {k.decode(): v.decode() for fi in dll.FileInfo[0] if fi.Key == b"StringFileInfo"
            for table in fi.StringTable for k, v in table.entries.items()}
    tables = [table.LangID for fi in dll.FileInfo[0] if fi.Key == b"StringFileInfo" for table in fi.StringTable]
    assert tables == [b"040904b0"]
    assert info["FileDescription"] == "DTMF (Dial Tone Multi Frequency) Module "
    assert info["FileVersion"] == info["ProductVersion"] == "1, 0, 0, 1"
    fixed = dll.VS_FIXEDFILEINFO[0]
    assert (fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 1)
    assert (fixed.FileFlagsMask, fixed.FileFlags, fixed.FileOS, fixed.FileType) == (0x17, 0, 4, 2)
    assert list(pe_resources(dll, 16)) == [(1, 1033)]


def test_export_table(dll):
    exports = dll.DIRECTORY_ENTRY_EXPORT
    assert dll.get_string_at_rva(exports.struct.Name) == b"brisol.dll"
    assert exports.struct.Base == 1
    assert sorted((e.ordinal, e.name) for e in exports.symbols) == [(1, b"PlayDTMF"), (2, b"DllMain")]


def test_depends_only_on_system_dlls(dll):
    imported = sorted(entry.dll.decode().lower() for entry in dll.DIRECTORY_ENTRY_IMPORT)
    assert imported == ["kernel32.dll", "msvcrt.dll", "winmm.dll"]
    assert dll.FILE_HEADER.Machine == 0x14C and dll.is_dll()


# --- the sound that comes out -------------------------------------------

def play(rig, *triples):
    """Runs the play driver: returns (results, call ms, keys heard)."""
    args = []
    for keys, gap, no_wait in triples:
        args += [keys if keys is None or keys == "null" else " ".join("%02x" % b for b in keys),
                 str(gap), str(no_wait)]
    with rig.recording() as rec:
        code, out = rig.wine("play_dtmf.exe", *args)
        heard = rec.keys()
    assert exited_normally(code)
    lines = [dict(f.split("=") for f in line.split()) for line in out.decode().split("\n") if line]
    return [int(l["result"]) for l in lines], [int(l["ms"]) for l in lines], heard


@pytest.mark.parametrize("keys, result, heard", [
    ("null", 0, ""),
    (b"", 0, ""),
    (b"abcd -", 1, ""),
    (b"1 2-3", 1, "123"),
    (b"a", 1, ""),
    (b"A", 1, "A"),
    (b"\x83\x41", 1, "A"),
    ("０１２３４５６７８９＃＊ＡＢＣＤ".encode("cp932"), 1, ""),
])
def test_plays_exactly_the_tone_keys(rig, keys, result, heard):
    results, _ms, played = play(rig, (keys, 0, 0))
    assert (results, without_repeats(played)) == ([result], heard)


def test_all_sixteen_keys_in_order_with_gap(rig):
    results, ms, heard = play(rig, (b"0123456789*#ABCD", 100, 0))
    assert results == [1]
    assert without_repeats(heard) == "0123456789*#ABCD"
    assert ms[0] >= 16 * 200 - 50  # every key costs its clip and the gap


def test_the_gap_separates_repeated_keys(rig):
    with rig.recording() as rec:
        code, _out = rig.wine("play_dtmf.exe", "35 35", "100", "0")
    assert exited_normally(code)
    assert len(rec.tone_onsets()) == 2
    assert without_repeats(rec.keys()) == "5"


def test_non_waiting_call_returns_before_the_tones(rig):
    results, ms, heard = play(rig, (b"159D", 100, 1))
    assert results == [1]
    assert ms[0] < 400  # four keys take about 800 ms
    assert without_repeats(heard) == "159D"


@pytest.mark.parametrize("no_wait", [0, 1])
def test_overlapping_calls_play_both_sequences_whole_in_call_order(rig, no_wait):
    # The second call comes 50 ms into the first one's playback.
    results, ms, heard = play(rig, (b"123", 100, no_wait), (b"ABCD", 100, no_wait))
    assert results == [1, 1]
    assert without_repeats(heard) == "123ABCD"
    assert ms[1] >= 3 * 200 - 100  # it waited for the first sequence to end


def test_infinite_gap_is_cut_short(rig):
    start = time.monotonic()
    results, ms, heard = play(rig, (b"7", 0xFFFFFFFF, 0))
    assert results == [1] and without_repeats(heard) == "7"
    assert 10000 <= ms[0] < 20000
    assert time.monotonic() - start < 60
