"""Plumbing of the end-to-end tests: the Wine prefix, the display, the
pseudo-terminal COM port, the simulated receiver, the program and the driver
that reads and drives it from a second process. Every wait is bounded."""

import os
import re
import select
import shutil
import signal
import subprocess
import time

PORTS_CLASS_GUID = "{4D36E978-E325-11CE-BFC1-08002BE10318}"


class Failure(Exception):
    pass


def escape(text):
    """The driver's escaping of a text argument."""
    out = []
    for c in text:
        if c == "\\":
            out.append("\\\\")
        elif c == " ":
            out.append("\\s")
        elif c == "\r":
            out.append("\\r")
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif 0x20 < ord(c) < 0x7F:
            out.append(c)
        else:
            out.append("\\u%04X" % (ord(c) & 0xFFFF))
    return "".join(out)


def unescape(text):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 == len(text):
            out.append(c)
            i += 1
            continue
        e = text[i + 1]
        if e == "u":
            out.append(chr(int(text[i + 2:i + 6], 16)))
            i += 6
            continue
        out.append({"s": " ", "r": "\r", "n": "\n", "t": "\t"}.get(e, e))
        i += 2
    return "".join(out)


def receiver_priority():
    """Run in a receiver's process (the simulator, the socat that carries its
    bytes) before it starts. A real receiver's UART never pauses inside a
    line; a simulated one held off the processors for the port's 100 ms read
    timeout would have its line cut by the program, as a real pause must be.
    Raised above the machine's other work it keeps a receiver's pace; without
    the right to raise it (not root), it runs as it is."""
    try:
        os.nice(-10)
    except OSError:
        pass


def wait_for(what, predicate, timeout, interval=0.1):
    """Polls predicate until it returns something true; Failure after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def wait_until_agreed(what, disagreement, timeout, interval=0.1):
    """Polls disagreement() until it returns None; after timeout a Failure
    that tells what it last returned."""
    last = []

    def agreed():
        last[:] = [disagreement()]
        return last[0] is None

    try:
        wait_for(what, agreed, timeout, interval)
    except Failure as timed_out:
        raise Failure("%s; last: %r" % (timed_out, last[0]))


class Environment:
    """A private Wine prefix, a display, and everything started under them."""

    def __init__(self, work):
        self.work = work
        os.makedirs(work, exist_ok=True)
        self.env = dict(os.environ)
        self.env["WINEPREFIX"] = os.path.join(work, "prefix")
        self.env["WINEDEBUG"] = "-all"
        self.env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        self.processes = []
        self.xvfb = None

    # --- setup ---------------------------------------------------------------
    def start_display(self):
        if self.env.get("DISPLAY") and self._display_works():
            return
        # Xvfb picks a free display itself and names it once it listens; a
        # display left locked by a server that was killed is free to it.
        named = os.path.join(self.work, "xvfb-display")
        with open(named, "wb") as f:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(f.fileno()), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"], pass_fds=(f.fileno(),), stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)

        def display_named():
            with open(named, "rb") as f:
                text = f.read()
            return text.endswith(b"\n") and text.strip().isdigit() and text.strip().decode()

        try:
            self.env["DISPLAY"] = ":" + wait_for("Xvfb to name its display", display_named, 20)
            wait_for("Xvfb", self._display_works, 10)
        except Failure:
            self.stop_display()
            raise

    def stop_display(self):
        # Terminated, not killed: the server removes its lock and socket.
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None

    def _display_works(self):
        return subprocess.call(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL) == 0

    def make_prefix(self):
        prefix = self.env["WINEPREFIX"]
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            os.makedirs(prefix, exist_ok=True)
            subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=180)
            self.server_stop()

    def regedit(self, text, name):
        path = os.path.join(self.env["WINEPREFIX"], name)
        with open(path, "w", newline="\r\n") as f:
            f.write(text)
        subprocess.run(["wine", "regedit", "/S", path], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    def register_port(self, n, device, name, restart_server=True):
        """Maps COMn to device and lists it for discovery. Without the server
        restart the port is added to the running system, as a device plugged
        in: the dosdevices link works at the next open, and discovery reads
        the registry afresh each time."""
        self.regedit(
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n\"COM%d\"=\"%s\"\n\n"
            "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\ROOT\\PORTS\\%04d]\n"
            "\"FriendlyName\"=\"%s (COM%d)\"\n\"ClassGUID\"=\"%s\"\n\"Class\"=\"Ports\"\n"
            % (n, device, n, name, n, PORTS_CLASS_GUID), "e2e-port.reg")
        link = os.path.join(self.env["WINEPREFIX"], "dosdevices", "com%d" % n)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(device, link)
        if restart_server:
            self.server_stop()

    def unregister_port(self, n, restart_server=True):
        self.regedit(
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n\"COM%d\"=-\n\n"
            "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\ROOT\\PORTS\\%04d]\n"
            % (n, n), "e2e-port-remove.reg")
        link = os.path.join(self.env["WINEPREFIX"], "dosdevices", "com%d" % n)
        if os.path.lexists(link):
            os.remove(link)
        if restart_server:
            self.server_stop()

    def server_stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=15)
        except subprocess.TimeoutExpired:
            pass

    def windows_path(self, relative):
        """A file on drive C: of the prefix: (unix path, Windows path)."""
        unix = os.path.join(self.env["WINEPREFIX"], "drive_c", relative)
        return unix, "C:\\" + relative.replace("/", "\\")

    # --- processes -----------------------------------------------------------
    def start(self, args, log_name, cwd=None, **kwargs):
        log = open(os.path.join(self.work, log_name), "wb")
        p = subprocess.Popen(args, env=self.env, cwd=cwd, stdout=log, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, **kwargs)
        log.close()
        self.processes.append(p)
        return p

    def stop(self, p, timeout=5):
        if p.poll() is None:
            p.send_signal(signal.SIGTERM)
            try:
                p.wait(timeout)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def cleanup(self):
        for p in reversed(self.processes):
            if p.poll() is None:
                p.kill()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    pass
        self.processes = []
        self.server_stop()
        self.stop_display()


class Pty:
    """A pseudo-terminal pair from socat: gps_dev for Wine, gps_host for the sim."""

    def __init__(self, environment, directory):
        os.makedirs(directory, exist_ok=True)
        self.dev = os.path.join(directory, "gps_dev")
        self.host = os.path.join(directory, "gps_host")
        for path in (self.dev, self.host):
            if os.path.lexists(path):
                os.remove(path)
        self.process = environment.start(
            ["socat", "pty,raw,echo=0,link=" + self.dev, "pty,raw,echo=0,link=" + self.host],
            "socat.log", preexec_fn=receiver_priority)
        wait_for("the pseudo-terminal links",
                 lambda: os.path.exists(self.dev) and os.path.exists(self.host), 15, 0.05)

    def pull(self):
        """The cable pulled: socat ends, both ends of the pair go away. A
        killed socat leaves its links behind, pointing at terminals that the
        system may give to someone else: they go, as a removed device's do."""
        self.process.kill()
        self.process.wait()
        for path in (self.dev, self.host):
            if os.path.lexists(path):
                os.remove(path)


class Driver:
    """skyloom-driver.exe --serve: one command a line, one answer a line."""

    def __init__(self, environment, driver_exe):
        self.process = subprocess.Popen(["wine", driver_exe, "--serve"], env=environment.env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        environment.processes.append(self.process)
        self.buffer = b""

    def __call__(self, *words, timeout=40):
        line = " ".join(str(w) for w in words)
        self.process.stdin.write(line.encode("ascii") + b"\n")
        self.process.stdin.flush()
        deadline = time.monotonic() + timeout
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure("driver gave no answer to '%s'" % line)
            ready, _, _ = select.select([self.process.stdout], [], [], left)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 65536)
                if not chunk:
                    raise Failure("driver ended during '%s'" % line)
                self.buffer += chunk
        answer, self.buffer = self.buffer.split(b"\n", 1)
        answer = answer.decode("ascii").rstrip("\r")
        if answer == "ok":
            return ""
        if answer.startswith("ok "):
            return answer[3:]
        raise Failure("driver: '%s' -> %s" % (line, answer))

    def text(self, control):
        return unescape(self("text", control))

    def unescaped(self, *words, **kwargs):
        return unescape(self(*words, **kwargs))

    def caption(self):
        return unescape(self("caption"))

    def combo(self, control):
        words = self("combo", control).split(" ")
        return int(words[0]), [unescape(w) for w in words[1:]]

    def state(self, control):
        checked, enabled, visible = (int(x) for x in self("state", control).split())
        return checked, enabled, visible

    def close(self):
        try:
            self("quit", timeout=5)
        except Failure:
            pass
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Simulator:
    def __init__(self, environment, sim, device, name, *options):
        self.received = os.path.join(environment.work, name + "-received.bin")
        self.sent = os.path.join(environment.work, name + "-sent.bin")
        self.process = environment.start(
            [sim, "--log-received", self.received, "--log-sent", self.sent] + list(options) +
            ([device] if device else []), name + ".log", preexec_fn=receiver_priority)

    def received_bytes(self):
        try:
            with open(self.received, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def sent_bytes(self):
        try:
            with open(self.sent, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def wait_cycles(self, what, cycles, timeout=30):
        """Waits until the simulator has begun `cycles` more cycles (its GGA
        lines): time measured in the receiver's own events, for a test that
        checks that something does not happen while the receiver goes on."""
        start = self.sent_bytes().count(b"GGA,")
        wait_for("%d more receiver cycles (%s)" % (cycles, what),
                 lambda: self.sent_bytes().count(b"GGA,") >= start + cycles, timeout, 0.2)


class Program:
    """skyloom.exe copied into a folder of its own, so its log files land there."""

    def __init__(self, environment, exe):
        self.folder = os.path.join(environment.work, "bin")
        os.makedirs(self.folder, exist_ok=True)
        shutil.copy2(exe, os.path.join(self.folder, "skyloom.exe"))
        self.environment = environment
        self.process = None

    def start(self, *arguments):
        self.process = self.environment.start(["wine", "skyloom.exe"] + list(arguments),
                                              "skyloom.log", cwd=self.folder)

    def log_path(self, name):
        return os.path.join(self.folder, name + "_log.txt")

    def fresh_log_path(self, name):
        """The log file of that name, an earlier run's copy gone: a test that
        waits for the file to grow must not find last time's."""
        path = self.log_path(name)
        if os.path.exists(path):
            os.remove(path)
        return path


def widen(data):
    """Received bytes as the program's reader widens them: with their sign."""
    return "".join(chr(b if b < 0x80 else 0xFF00 | b) for b in data)


def delivered_lines(data):
    """The lines the program's reader makes of a byte stream when no read
    times out: widened, at most 510 characters before the line feed; a line
    that grows past that is dropped together with the byte that found it."""
    out = []
    current = bytearray()
    for b in data:
        if len(current) > 510:
            current = bytearray()
            continue
        if b == 0x0A:
            out.append(widen(bytes(current) + b"\n"))
            current = bytearray()
            continue
        current.append(b)
    return out


def lines_of(data):
    """Bytes cut after each line feed; a last piece without one is left out."""
    parts = data.split(b"\n")
    return [p + b"\n" for p in parts[:-1]]


CAPTION_FIX = re.compile(r"^Skyloom  (\d+) Sec$")


# --- the program's numbers and the test runner -----------------------------

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RECORDING = os.path.join(SOURCE_DIR, "tests", "data", "captures", "st-teseo-liv3f.pgl")
COM = 5
PORT_NAME = "Skyloom Simulated GPS"

# Control ids of the setup panel and the program messages.
IDC_PORT, IDC_BAUD, IDC_SCAN_PORTS, IDC_COLD_START, IDC_START_GPS = 1000, 1001, 1002, 1003, 1004
IDC_CORE_VERSION, IDC_FW_VERSION, IDC_SEND, IDC_VTG, IDC_POWER_SAVE = 1005, 1006, 1008, 1009, 1010
IDC_SBAS, IDC_LOG_FILE, IDC_AUTO_SEND, IDC_GET_VERSION, IDC_FACTORY_RESET = 1011, 1012, 1013, 1014, 1015
IDC_AUTO_PERIOD, IDC_LOG_NAME, IDC_USER_SENTENCE = 1016, 1020, 1022
UM_SBAS_ON, UM_SBAS_OFF, UM_QUERY_VERSION = 2730, 2731, 2734
WM_COMMAND = 0x111
IDM_RECORD_RAW, IDM_RECORD_STOP = 40006, 40007


def close_program(env, drive, program, close_ms):
    """Asks the window to close, then makes sure the process is gone."""
    try:
        drive("close", close_ms)
    except Failure:
        pass
    drive.close()
    env.stop(program.process, 10)


def release_receivers(env, sims, ptys, coms):
    """Stops the simulators, pulls the pseudo-terminals still there and takes
    the ports out of the prefix."""
    for sim in sims:
        env.stop(sim.process)
    for pty in ptys:
        if pty.process.poll() is None:
            pty.pull()
    for com in coms:
        env.unregister_port(com)


class Results:
    def __init__(self, only):
        self.only = only
        self.failed = []
        self.passed = 0

    def run(self, name, fn):
        if self.only and not re.search(self.only, name):
            return
        start = time.monotonic()
        try:
            fn()
        except (Failure, AssertionError) as e:
            self.failed.append(name)
            print("FAIL %-44s %5.1f s  %s" % (name, time.monotonic() - start, e), flush=True)
            return
        self.passed += 1
        print("ok   %-44s %5.1f s" % (name, time.monotonic() - start), flush=True)


def expect(condition, message):
    if not condition:
        raise Failure(message)
