"""The test rig: a virtual display, a real sound server with a null sink whose
monitor is recorded and decoded, and Wine running the real binaries.

Everything the rig starts lives under its own folder in the build tree and is
stopped when the test session ends, also when a test fails.
"""
import array
import contextlib
import os
import shutil
import signal
import subprocess
import tempfile
import time

BIN_DIR = os.environ["VEMRO_BIN_DIR"]
WINEPREFIX = os.environ["VEMRO_WINEPREFIX"]
RIG_ROOT = os.environ.get("VEMRO_RIG_DIR", os.path.join(os.path.dirname(WINEPREFIX), "rig"))

SINK = "dtmf"
RATE = 44100

# libpulse's default 64 MiB memory pool does not fit beside Wine in a 32-bit
# address space, so clients get a smaller one and no shared memory.
PULSE_CLIENT_CONF = "enable-shm = no\nenable-memfd = no\nautospawn = no\nshm-size-bytes = 16777216\n"


# Where the kernel runs no 32-bit code, the 32-bit Wine loader runs under
# qemu-i386, and a Wine process that has talked to the sound server dies with
# SIGSEGV in its final teardown, after its own work is done.
EMULATED = os.path.exists("/proc/sys/fs/binfmt_misc/qemu-i386")


def exited_normally(code):
    """Exit code 0, allowing for the emulator's crash at process teardown."""
    return code == 0 or (EMULATED and code in (-11, 139))


def bin_path(name):
    return os.path.join(BIN_DIR, name)


def key_values(lines):
    """[(key, value)] of a driver's key=value output lines, in order."""
    return [tuple(line.split("=", 1)) for line in lines if "=" in line]


def wait_until(done, failure, timeout=15):
    """Polls done() until it holds; fails with the message after the timeout."""
    end = time.monotonic() + timeout
    while not done():
        assert time.monotonic() < end, failure
        time.sleep(0.2)


def without_repeats(keys):
    """Adjacent repeats merged: a dropout inside one tone can split it in two."""
    return "".join(k for i, k in enumerate(keys) if i == 0 or keys[i - 1] != k)


def pe_resources(pe, resource_type):
    """{(name or id, language): bytes} of one resource type, given by name or id."""
    def label(entry):
        return str(entry.name) if entry.name else entry.id

    found = {}
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if label(type_entry) != resource_type:
            continue
        for name_entry in type_entry.directory.entries:
            for lang_entry in name_entry.directory.entries:
                data = lang_entry.data.struct
                found[(label(name_entry), lang_entry.id)] = pe.get_data(data.OffsetToData, data.Size)
    return found


class Rig:
    def __init__(self):
        os.makedirs(RIG_ROOT, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix="session-", dir=RIG_ROOT)
        self.env = dict(os.environ)
        home = os.path.join(self.dir, "home")
        os.makedirs(home)
        self.env.update(
            HOME=home,
            WINEPREFIX=WINEPREFIX,
            WINEDEBUG="-all",
            LC_ALL="ja_JP.UTF-8",
            PULSE_RUNTIME_PATH=os.path.join(self.dir, "pulse"),
            PULSE_CLIENTCONFIG=os.path.join(self.dir, "pulse-client.conf"),
        )
        with open(self.env["PULSE_CLIENTCONFIG"], "w") as f:
            f.write(PULSE_CLIENT_CONF)
        self.xvfb = self.pulse = self.recorder = None

    # --- services -------------------------------------------------------
    def start(self, screen="1024x768"):
        self.start_display(screen)
        self.pulse = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--realtime=no",
             "--high-priority=no", "--disable-shm=yes", "--log-target=stderr",
             "-L", "module-null-sink sink_name=%s" % SINK, "-L", "module-native-protocol-unix"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: subprocess.run(["pactl", "info"], env=self._native_env(),
                                          capture_output=True).returncode == 0,
                   "pulseaudio did not start", timeout=30)
        self.start_recorder()

    def start_display(self, screen):
        """(Re)starts the virtual display; Wine's processes follow it."""
        if self.xvfb:
            self.stop_wine()
            self._stop(self.xvfb)
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen + "x24", "-nolisten", "tcp"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            self.env["DISPLAY"] = ":" + f.readline().strip()
        # A persistent server keeps Wine's services up between programs.  The
        # services outlive the program that starts them, so they must not
        # inherit a pipe that a test reads to its end.
        quiet = dict(env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], **quiet)
        subprocess.run(["wine", "wineboot"], timeout=300, **quiet)

    def stop_wine(self):
        for command in (["wineserver", "-k"], ["wineserver", "-w"]):
            subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)

    def stop(self):
        self.stop_wine()
        for proc in (self.recorder, self.pulse, self.xvfb):
            if proc:
                self._stop(proc)
        shutil.rmtree(self.dir, ignore_errors=True)

    @staticmethod
    def _stop(proc):
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

    def _native_env(self):
        env = dict(self.env)
        env.pop("PULSE_CLIENTCONFIG")
        return env

    # --- Windows programs ----------------------------------------------
    def wine(self, exe, *args, cwd=None, timeout=120):
        """Runs a Windows program to its end: (exit code, stdout bytes)."""
        proc = subprocess.run(["wine", bin_path(exe), *args], env=self.env, cwd=cwd or self.dir,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        return proc.returncode, proc.stdout

    def start_program(self, exe, *args, cwd=None):
        return subprocess.Popen(["wine", bin_path(exe), *args], env=self.env, cwd=cwd or self.dir,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def probe(self, *args, cwd=None):
        """Runs window_probe on the dialler window: its output lines."""
        code, out = self.wine("window_probe.exe", *map(str, args), cwd=cwd)
        assert code == 0, "window_probe %s failed with %s: %r" % (args, code, out)
        return out.decode().splitlines()

    def screen_point(self, x, y):
        """The screen position of the dialler's client point (x, y), for xdotool."""
        point = dict(key_values(self.probe("screen-point", x, y)))
        return point["x"], point["y"]

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, check=True,
                              capture_output=True).stdout.decode()

    # --- sound ------------------------------------------------------------
    def start_recorder(self):
        """Records the sink's monitor for the whole session, in real time."""
        self.recording_path = os.path.join(self.dir, "sink.raw")
        self._recording_file = open(self.recording_path, "wb")
        self.recorder = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--rate=%d" % RATE, "--channels=1", "--format=s16le",
             "--latency-msec=10"],
            env=self._native_env(), stdout=self._recording_file, stderr=subprocess.DEVNULL)
        wait_until(lambda: os.path.getsize(self.recording_path) > 0, "the recorder did not start", timeout=30)

    def recorded_bytes(self):
        return os.path.getsize(self.recording_path)

    @contextlib.contextmanager
    def recording(self):
        """What the sink plays while the block runs."""
        rec = Recording(self)
        yield rec
        rec.stop()


class Recording:
    def __init__(self, rig):
        self.rig = rig
        self.start = rig.recorded_bytes() & ~1
        self.end = None

    def stop(self):
        if self.end is None:
            time.sleep(0.4)  # the sink's last samples
            self.end = self.rig.recorded_bytes() & ~1

    def samples(self):
        self.stop()
        with open(self.rig.recording_path, "rb") as f:
            f.seek(self.start)
            return f.read(self.end - self.start)

    def keys(self):
        """The DTMF keys heard, in order, as one string."""
        sox = subprocess.run(
            ["sox", "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16", "-c", "1", "-",
             "-t", "raw", "-r", "22050", "-e", "signed", "-b", "16", "-c", "1", "-"],
            input=self.samples(), capture_output=True, check=True)
        out = subprocess.run(["multimon-ng", "-q", "-a", "DTMF", "-t", "raw", "-"], input=sox.stdout,
                             capture_output=True).stdout.decode()
        return "".join(line.split(":", 1)[1].strip() for line in out.splitlines()
                       if line.startswith("DTMF:"))

    def tone_onsets(self, threshold=2000):
        """Seconds from the start of the recording to each burst of sound."""
        data = array.array("h", self.samples())
        onsets, quiet = [], True
        silent_run = 0
        for i, value in enumerate(data):
            if abs(value) > threshold:
                if quiet:
                    onsets.append(i / RATE)
                quiet, silent_run = False, 0
            else:
                silent_run += 1
                if silent_run > RATE // 50:  # 20 ms of quiet ends a burst
                    quiet = True
        return onsets
