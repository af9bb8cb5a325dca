"""The network phase: receivers that are not on a COM port, all on the
loopback address. A TCP server of the test's own sends a real capture (every
line in the console, in order), receives a command the viewer writes, drops
the connection and comes back (LOST, BACK, the log file continuous); UDP
datagrams from skyloom-sim; a real gpsd serving a capture from a
pseudo-terminal; and a server that sends 50 MB without a line feed, one that
sends NUL bytes and binary, one that never sends, a host that does not
resolve. Each source is given on the command line, as a user's shortcut
would."""

import os
import shutil
import socket
import subprocess
import threading
import time

from skyloom_e2e import (IDC_COLD_START, IDC_PORT, IDC_LOG_FILE, IDC_LOG_NAME, IDC_SEND, IDC_START_GPS,
                         IDC_USER_SENTENCE, SOURCE_DIR, close_program, delivered_lines, Driver,
                         expect, Failure, Program, Pty, Simulator, wait_for, widen)

CAPTURE = os.path.join(SOURCE_DIR, "tests", "data", "captures", "mt3339.pgl")
LOST = "Connection LOST!!"
BACK = "Connection BACK!!"
NO_COMMANDS = "Commands are not sent to this source: it only receives."


class TcpPeer:
    """A TCP server on a loopback port: one client, bounded waits."""

    def __init__(self, port=0):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", port))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.client = None

    def accept(self, timeout=20):
        self.listener.settimeout(timeout)
        try:
            self.client, _ = self.listener.accept()
        except socket.timeout:
            raise Failure("no connection to 127.0.0.1:%d within %d s" % (self.port, timeout))
        self.client.settimeout(20)
        return self.client

    def received(self, count, timeout=20):
        data = b""
        deadline = time.monotonic() + timeout
        while len(data) < count and time.monotonic() < deadline:
            self.client.settimeout(max(0.1, deadline - time.monotonic()))
            try:
                chunk = self.client.recv(65536)
            except socket.timeout:
                break
            if not chunk:
                break
            data += chunk
        return data

    def drop(self):
        """The connection and the server both gone, as a bridge switched off."""
        if self.client:
            self.client.close()
            self.client = None
        self.listener.close()

    def close(self):
        self.drop()


def console_lines(drive):
    return [line + "\n" for line in drive.text("console").split("\r\n")[:-1]]


def holds_in_order(have, want):
    """True when the lines `want` appear in `have` one after the other."""
    if not want:
        return True
    first = want[0]
    for i in range(len(have) - len(want) + 1):
        if have[i] == first and have[i:i + len(want)] == want:
            return True
    return False


def first_line_missing(capture, log):
    """The first line of the capture that the log does not hold after the
    lines before it; None when it holds them all in order."""
    at = 0
    for line in capture.split(b"\n"):
        piece = widen(line)
        found = log.find(piece, at)
        if found < 0:
            return line
        at = found + len(piece)
    return None


def network_phase(env, args, results):
    capture = open(CAPTURE, "rb").read()
    wanted = [line.replace("\r", "") for line in delivered_lines(capture)]
    peers = []
    programs = []

    def start_viewer(*arguments):
        program = Program(env, args.exe)
        program.start(*arguments)
        drive = Driver(env, args.driver)
        drive("find", 30000)
        programs.append((program, drive))
        return program, drive

    def stop_viewer():
        program, drive = programs.pop()
        close_program(env, drive, program, 10000)

    def shown(drive):
        # The console shows a line without its CR, as the RichEdit ends it.
        return [line.replace("\r", "") for line in console_lines(drive)]

    def every_line_in_console(drive, lines, what, timeout=30):
        wait_for("every line of %s in the console, in order" % what,
                 lambda: holds_in_order(shown(drive), lines), timeout, 0.5)

    def tcp_capture_in_order():
        peer = TcpPeer()
        peers.append(peer)
        program, drive = start_viewer("tcp://127.0.0.1:%d" % peer.port)
        client = peer.accept()
        wait_for("Close GPS", lambda: drive.text(IDC_START_GPS) == "Close GPS", 10)
        # Pieces of odd sizes: lines cut anywhere.
        for at in range(0, len(capture), 333):
            client.sendall(capture[at:at + 333])
        every_line_in_console(drive, wanted, "the capture")
        expect(drive.state(IDC_COLD_START)[1] == 1, "Cold Start is disabled on TCP")
        selection, entries = drive.combo(IDC_PORT)
        expect(entries[selection:selection + 1] == ["Network:"],
               "the port list shows %r, not the network entry" % entries[selection:selection + 1])

        # A typed sentence goes to the connection as it would to a port.
        sentence = "$PMTK605*31"
        drive("settext", IDC_USER_SENTENCE, sentence)
        drive("command", IDC_SEND)
        got = peer.received(len(sentence) + 2)
        expect(got == (sentence + "\r\n").encode(), "the server received %r" % got)
        stop_viewer()
        peer.close()

    def tcp_drop_and_back():
        peer = TcpPeer()
        port = peer.port
        peers.append(peer)
        program, drive = start_viewer("tcp://127.0.0.1:%d" % port)
        client = peer.accept()
        wait_for("Close GPS", lambda: drive.text(IDC_START_GPS) == "Close GPS", 10)
        drive("settext", IDC_LOG_NAME, "e2e_net")
        drive("check", IDC_LOG_FILE, 1)
        half = capture.rfind(b"\n", 0, len(capture) // 2) + 1
        client.sendall(capture[:half])
        before = [line.replace("\r", "") for line in delivered_lines(capture[:half])]
        every_line_in_console(drive, before, "the first half")
        peer.drop()
        wait_for(LOST, lambda: LOST in drive.text("console"), 10)
        caption = "Waiting for 127.0.0.1:%d" % port
        wait_for("the caption '%s'" % caption, lambda: caption in drive.caption(), 10)
        # Back on the same port: the viewer's retry finds it.
        again = TcpPeer(port)
        peers.append(again)
        client = again.accept(20)
        wait_for(BACK, lambda: BACK in drive.text("console"), 10)
        client.sendall(capture[half:])
        after = [line.replace("\r", "") for line in delivered_lines(capture[half:])]
        every_line_in_console(drive, after, "the second half")
        drive("check", IDC_LOG_FILE, 0)
        with open(program.log_path("e2e_net"), "rb") as f:
            log = f.read()[2:].decode("utf-16-le")
        if widen(capture) not in log:
            kept = os.path.join(env.work, "e2e_net_log.txt")
            with open(kept, "w", encoding="utf-8", newline="") as f:
                f.write(log)
            raise Failure("the log file does not hold both halves of the capture in one piece; "
                          "the first line of the capture not in it: %r (log kept as %s)"
                          % (first_line_missing(capture, log), kept))
        stop_viewer()
        again.close()

    def udp_from_simulator():
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        program, drive = start_viewer("udp://127.0.0.1:%d" % port)
        wait_for("Close GPS", lambda: drive.text(IDC_START_GPS) == "Close GPS", 10)
        wait_for("the note that commands are not sent",
                 lambda: NO_COMMANDS in drive.text("console"), 10)
        expect(drive.state(IDC_COLD_START)[1] == 0, "Cold Start still enabled on UDP")
        # No device: --udp-to takes its place.
        sim = Simulator(env, args.sim, None, "udp-sim", "--baud", "115200", "--cycles", "3",
                        "--fix-after", "0", "--udp-to", "127.0.0.1:%d" % port)
        wait_for("the simulator's end", lambda: sim.process.poll() is not None, 30)
        sent = [line.replace("\r", "") for line in delivered_lines(sim.sent_bytes())]
        expect(len(sent) > 20, "the simulator sent only %d lines" % len(sent))
        every_line_in_console(drive, sent, "the simulator's datagrams")
        expect(drive.text("console").count(NO_COMMANDS) == 1, "the note is not said once")
        stop_viewer()

    def gpsd_serves_capture():
        gpsd = shutil.which("gpsd") or "/usr/sbin/gpsd"
        expect(os.path.exists(gpsd), "gpsd is not installed")
        pty = Pty(env, os.path.join(env.work, "gpsd"))
        probe = TcpPeer()
        port = probe.port
        probe.close()
        daemon = env.start([gpsd, "-N", "-n", "-b", "-S", str(port),
                            "-F", os.path.join(env.work, "gpsd", "control.sock"), pty.dev],
                           "gpsd.log")
        try:
            def gpsd_answers():
                try:
                    with socket.create_connection(("127.0.0.1", port), timeout=1) as s:
                        return s.recv(200).startswith(b'{"class":"VERSION"')
                except OSError:
                    return False
            wait_for("gpsd on 127.0.0.1:%d" % port, gpsd_answers, 20, 0.2)
            program, drive = start_viewer("gpsd://127.0.0.1:%d" % port)
            wait_for("Close GPS", lambda: drive.text(IDC_START_GPS) == "Close GPS", 10)
            wait_for("the note that commands are not sent",
                     lambda: NO_COMMANDS in drive.text("console"), 10)
            # One round trip of our own after the viewer's request: gpsd has
            # read the viewer's watch before it answers ours.
            with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
                s.sendall(b"?DEVICES;\n")
                s.recv(4096)
            with open(pty.host, "wb", buffering=0) as f:
                for at in range(0, len(capture), 256):
                    f.write(capture[at:at + 256])
                    time.sleep(0.01)  # a receiver's pace, so gpsd's buffers never fill
            nmea = [line for line in wanted if line[:1] in "$!"]
            every_line_in_console(drive, nmea, "the capture through gpsd", 40)
            expect(not any(line.startswith("{") for line in shown(drive)),
                   "gpsd's JSON reached the console")
            stop_viewer()
        finally:
            env.stop(daemon)
            pty.pull()

    def bad_servers_handled_as_a_port_would():
        def serve(peer, send):
            try:
                client = peer.accept()
                send(client)
            except (OSError, Failure):
                pass

        def flood(client):
            block = b"A" * (1 << 20)
            for _ in range(50):
                client.sendall(block)

        cases = [
            ("50 MB without a line feed", flood),
            ("NUL bytes and binary",
             lambda c: c.sendall(bytes(range(256)) * 64 + b"\x00" * 4096 +
                                 b"\r\n$GPTXT,after*00\r\n")),
            ("a server that never sends", lambda c: c.recv(1)),
        ]
        for what, send in cases:
            peer = TcpPeer()
            peers.append(peer)
            feeder = threading.Thread(target=serve, args=(peer, send), daemon=True)
            feeder.start()
            program, drive = start_viewer("tcp://127.0.0.1:%d" % peer.port)
            wait_for("Close GPS (%s)" % what, lambda: drive.text(IDC_START_GPS) == "Close GPS", 20)
            if what.startswith("NUL"):
                wait_for("the line after the binary",
                         lambda: "$GPTXT,after*00" in drive.text("console"), 30)
            feeder.join(120 if what.startswith("50") else 3)
            expect(LOST not in drive.text("console"), "%s: reported lost" % what)
            drive("alive")
            stop_viewer()
            peer.close()

        program, drive = start_viewer("tcp://no..such:4001")
        wait_for("the reason the host is not known",
                 lambda: "the host name is not known" in drive.text("console"), 20)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "a link opened for an unknown host")
        stop_viewer()

    def run(name, test):
        # A failed test's viewer is closed before the next one starts, so
        # the next test finds its own window and not the one left behind.
        try:
            results.run(name, test)
        finally:
            while programs:
                stop_viewer()

    try:
        run("network: TCP capture in order, command sent", tcp_capture_in_order)
        run("network: TCP dropped and back, log whole", tcp_drop_and_back)
        run("network: UDP from skyloom-sim", udp_from_simulator)
        run("network: a real gpsd serving a capture", gpsd_serves_capture)
        run("network: bad servers and an unknown host", bad_servers_handled_as_a_port_would)
    finally:
        for peer in peers:
            peer.close()
