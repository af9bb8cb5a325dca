#!/usr/bin/env python3
"""End-to-end tests of skyloom.exe under Wine, driven from a second process.

Phase "playback": a prefix with no serial port; recordings played through the
file dialog (read-only, held open by another program, the dialog cancelled).
Phase "receiver": skyloom-sim on a pseudo-terminal mapped to COM5 and listed by
device discovery; opening, first fix, every command byte for byte, the replies,
the log file, auto-send, repeated open/close, and a pulled cable.

Usage: run_e2e.py --exe skyloom.exe --driver skyloom-driver.exe --sim skyloom-sim
                  --work DIR [--phase playback|receiver] [--only PATTERN]
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skyloom_e2e import (CAPTION_FIX, Driver, Environment, Failure, Program, Pty,  # noqa: E402
                         Simulator, delivered_lines, escape, lines_of, wait_for, widen)

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RECORDING = os.path.join(SOURCE_DIR, "tests", "data", "captures", "st-teseo-liv3f.pgl")
COM = 5
PORT_NAME = "Skyloom Simulated GPS"

# Control ids of the setup panel and the program messages.
IDC_PORT, IDC_BAUD, IDC_SCAN_PORTS, IDC_COLD_START, IDC_START_GPS = 1000, 1001, 1002, 1003, 1004
IDC_CORE_VERSION, IDC_FW_VERSION, IDC_SEND, IDC_VTG, IDC_POWER_SAVE = 1005, 1006, 1008, 1009, 1010
IDC_SBAS, IDC_LOG_FILE, IDC_AUTO_SEND, IDC_GET_VERSION, IDC_FACTORY_RESET = 1011, 1012, 1013, 1014, 1015
IDC_AUTO_PERIOD, IDC_LOG_NAME, IDC_USER_SENTENCE = 1016, 1020, 1022
UM_SBAS_ON, UM_SBAS_OFF = 2730, 2731


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


# --- playback ---------------------------------------------------------------

def playback_phase(env, args, results):
    env.unregister_port(COM)
    recording = open(RECORDING, "rb").read()
    unix_path, win_path = env.windows_path("e2e/capture.pgl")
    os.makedirs(os.path.dirname(unix_path), exist_ok=True)
    if os.path.exists(unix_path):
        if os.geteuid() == 0:
            subprocess.run(["chattr", "-i", unix_path], timeout=10)
        os.chmod(unix_path, 0o644)
    with open(unix_path, "wb") as f:
        f.write(recording)
    expected_lines = lines_of(recording)

    program = Program(env, args.exe)
    program.start()
    drive = Driver(env, args.driver)
    drive("find", 30000)

    def start_playback(path=win_path):
        drive("post-click", IDC_START_GPS)
        drive("dialog", escape("WAVE Files"), escape(path), 10000)

    def console_lines():
        return drive.text("console").count("\r\n")

    def play_all(log_name=None):
        if log_name:
            drive("settext", IDC_LOG_NAME, log_name)
            drive("check", IDC_LOG_FILE, 1)
        start_playback()
        wait_for("Close GPS", lambda: drive.text(IDC_START_GPS) == "Close GPS", 10)
        # Playback has no pacing: every line arrives as fast as the window takes it.
        wait_for("all %d lines in the console" % len(expected_lines),
                 lambda: console_lines() >= len(expected_lines), 60, 0.5)
        console = drive.text("console")
        if log_name:
            drive("check", IDC_LOG_FILE, 0)
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "playback did not close")
        return console

    def no_port_listed():
        selection, entries = drive.combo(IDC_PORT)
        expect(entries == ["Log File:"], "port list: %r" % entries)
        expect(selection == 0, "selection %d" % selection)

    def plays_without_port():
        console = play_all("e2e_play")
        expect(console.count("\r\n") == len(expected_lines),
               "console holds %d lines, recording %d" % (console.count("\r\n"), len(expected_lines)))
        expect(console == recording.decode("latin-1").replace("\r\n", "\n").replace("\n", "\r\n"),
               "console text differs from the recording")
        with open(program.log_path("e2e_play"), "rb") as f:
            log = f.read()
        expect(log[:2] == b"\xff\xfe", "log file starts with %r" % log[:2])
        expect(log[2:].decode("utf-16-le") == widen(recording),
               "log file does not hold exactly the recording's lines")

    def make_read_only(on):
        # Root writes to a file whatever its mode; an immutable file it can't.
        if on:
            os.chmod(unix_path, 0o444)
        if os.geteuid() == 0:
            subprocess.run(["chattr", "+i" if on else "-i", unix_path], check=on, timeout=10)
        if not on:
            os.chmod(unix_path, 0o644)

    def plays_read_only():
        make_read_only(True)
        try:
            expect(drive("open-write", escape(win_path)) == "0",
                   "precondition: the recording can still be opened for writing")
            play_all()
        finally:
            make_read_only(False)
        expect(open(unix_path, "rb").read() == recording, "the recording was changed")

    def plays_while_held_for_writing():
        drive("hold", escape(win_path))
        try:
            play_all()
        finally:
            drive("release")

    def cancel_shows_error():
        drive("post-click", IDC_START_GPS)
        drive("dialog-cancel", escape("WAVE Files"), 10000)
        wait_for("ComPort ERROR!!", lambda: drive.text("console") == "ComPort ERROR!!", 5)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "Start button changed")

    def port_entry_refused_without_port():
        # A rescan with no port found leaves no entry to play back, only a port
        # text; the link refuses it while no port was found.
        drive("command", IDC_SCAN_PORTS)
        selection, entries = drive.combo(IDC_PORT)
        expect(entries == [], "rescan list: %r" % entries)
        expect(drive.text(IDC_PORT) == "No Com Port Find!!", "edit text %r" % drive.text(IDC_PORT))
        drive("settext", "console", "")
        drive("click", IDC_START_GPS)
        expect(drive.text("console") == "ComPort ERROR!!", "no error shown")

    try:
        results.run("playback: no port is listed", no_port_listed)
        results.run("playback: every line, no port, logged", plays_without_port)
        results.run("playback: read-only recording", plays_read_only)
        results.run("playback: recording held open for writing", plays_while_held_for_writing)
        results.run("playback: dialog cancelled", cancel_shows_error)
        results.run("playback: port entry refused with no port", port_entry_refused_without_port)
    finally:
        try:
            drive("close", 10000)
        except Failure:
            pass
        drive.close()
        env.stop(program.process, 10)


# --- a receiver on a pseudo-terminal port -------------------------------------

def receiver_phase(env, args, results):
    pty = Pty(env, env.work)
    env.register_port(COM, pty.dev, PORT_NAME)
    sims = [Simulator(env, args.sim, pty.host, "sim", "--baud", "115200", "--fix-after", "6")]
    sim = sims[0]
    program = Program(env, args.exe)
    program.start()
    drive = Driver(env, args.driver)
    drive("find", 30000)
    expected_rx = [b""]

    def sent_command(what, data, action):
        """Runs action and waits until the simulator has received exactly data more."""
        action()
        expected_rx[0] += data
        wait_for(what + " at the receiver",
                 lambda: len(sim.received_bytes()) >= len(expected_rx[0]), 5)
        got = sim.received_bytes()
        expect(got == expected_rx[0],
               "%s: receiver got %r, expected %r" % (what, got[-80:], expected_rx[0][-80:]))

    def screenshot(name):
        x, y, w, h = drive("rect", "status").split()
        path = os.path.join(env.work, name + ".png")
        subprocess.run(["import", "-window", "root", "-crop", "%sx%s+%s+%s" % (w, h, x, y), path],
                       env=env.env, check=True, timeout=30)
        return path

    def port_listed():
        selection, entries = drive.combo(IDC_PORT)
        expect(entries == ["%s (COM%d)" % (PORT_NAME, COM), "Log File:"], "port list: %r" % entries)
        expect(selection == 0, "selection %d" % selection)

    before = {}

    def opens_and_lines_arrive():
        before["threads"] = int(drive("threads"))
        before["shot"] = screenshot("status-before")
        drive("select", IDC_BAUD, 8)
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Close GPS", "button text %r" % drive.text(IDC_START_GPS))
        checked, enabled, _ = drive.state(IDC_PORT)
        expect(not enabled, "port list still enabled")
        wait_for("GGA in the console", lambda: "$GNGGA," in drive.text("console"), 10)

    def first_fix_caption():
        caption = wait_for("the first-fix caption",
                           lambda: CAPTION_FIX.match(drive.caption()), 30, 0.25)
        seconds = int(caption.group(1))
        expect(3 <= seconds <= 20, "time to first fix %d s" % seconds)
        time.sleep(1.5)  # the next cycle repaints the panel
        after = screenshot("status-after")
        metric = subprocess.run(["compare", "-metric", "AE", before["shot"], after, "null:"],
                                env=env.env, capture_output=True, text=True, timeout=30)
        changed = float(metric.stderr.split()[0])
        expect(changed > 2000, "status panel barely changed: %d pixels" % changed)

    def version_reply():
        sent_command("version query", b"$PMTK605*31\r\n",
                     lambda: drive("command", IDC_GET_VERSION))
        wait_for("core version", lambda: drive.text(IDC_CORE_VERSION).startswith("SKYSIM_CORE_"), 5)
        wait_for("FW version", lambda: drive.text(IDC_FW_VERSION).startswith("SKYSIM_FW_"), 5)

    def sbas_replies():
        # Only the receiver's answer ticks and unticks the box: the messages
        # are sent past the box.
        expect(drive.state(IDC_SBAS)[0] == 0, "SBAS box ticked at start")
        sent_command("SBAS on", b"$PSRF151,01*0F\r\n", lambda: drive("post", UM_SBAS_ON))
        wait_for("WAAS Enable ticks the box", lambda: drive.state(IDC_SBAS)[0] == 1, 5)
        sent_command("SBAS off", b"$PSRF151,00*0E\r\n", lambda: drive("post", UM_SBAS_OFF))
        wait_for("WAAS Disable unticks the box", lambda: drive.state(IDC_SBAS)[0] == 0, 5)

    def vtg_switch():
        sent_command("VTG on", b"$PSRF103,05,00,01,01*20\r\n", lambda: drive("check", IDC_VTG, 1))
        wait_for("VTG in the console", lambda: "$GNVTG," in drive.text("console"), 5)
        sent_command("VTG off", b"$PSRF103,05,00,00,01*21\r\n", lambda: drive("check", IDC_VTG, 0))
        time.sleep(1.2)
        mark = len(drive.text("console"))
        time.sleep(2.2)
        tail = drive.text("console")[mark:]
        expect("$GNGGA," in tail, "no new cycle after VTG off")
        expect("$GNVTG," not in tail, "VTG still sent")

    def power_save_switch():
        sent_command("power save on", b"$PSRF150,0,300,1000,1*10\r\n",
                     lambda: drive("check", IDC_POWER_SAVE, 1))
        sent_command("power save off", b"$PSRF150,0,1000,1000,0*23\r\n",
                     lambda: drive("check", IDC_POWER_SAVE, 0))

    typed = "$PSKY,typed sentence,1*00"

    def typed_sentence():
        drive("settext", IDC_USER_SENTENCE, escape(typed))
        sent_command("typed sentence", typed.encode() + b"\r\n", lambda: drive("command", IDC_SEND))

    def auto_send():
        line = typed.encode() + b"\r\n"
        drive("settext", IDC_AUTO_PERIOD, "1")
        drive("check", IDC_AUTO_SEND, 1)
        start = sim.received_bytes().count(line)
        time.sleep(3.5)
        running = sim.received_bytes().count(line) - start
        expect(2 <= running <= 5, "%d sentences in 3.5 s at a period of 1 s" % running)
        drive("check", IDC_AUTO_SEND, 0)
        time.sleep(0.3)
        stopped = sim.received_bytes().count(line)
        time.sleep(2.5)
        expect(sim.received_bytes().count(line) == stopped, "auto-send did not stop")
        # Everything received is whole copies of the typed sentence.
        rest = sim.received_bytes()[len(expected_rx[0]):]
        expect(rest == line * (len(rest) // len(line)), "auto-send bytes %r" % rest[:80])
        expected_rx[0] = sim.received_bytes()

    def cold_start_and_factory_reset():
        sent_command("cold start", b"$PMTK605*31\r\n$PMTK103*30\r\n",
                     lambda: drive("click", IDC_COLD_START))
        expect(drive.caption() == "Skyloom", "caption after cold start %r" % drive.caption())
        wait_for("a new first fix after the cold start",
                 lambda: CAPTION_FIX.match(drive.caption()), 25, 0.25)
        sent_command("factory reset", b"$PMTK104*37\r\n",
                     lambda: drive("command", IDC_FACTORY_RESET))

    def log_file():
        drive("settext", IDC_LOG_NAME, "e2e_live")
        drive("check", IDC_LOG_FILE, 1)
        time.sleep(3)
        drive("check", IDC_LOG_FILE, 0)
        time.sleep(0.3)
        with open(program.log_path("e2e_live"), "rb") as f:
            log = f.read()
        expect(log[:2] == b"\xff\xfe", "log starts with %r" % log[:2])
        text = log[2:].decode("utf-16-le")
        lines = text.splitlines(keepends=True)
        expect(len(lines) >= 20, "only %d lines logged in 3 s" % len(lines))
        expect(all(line.endswith("\r\n") for line in lines), "a logged line without CR LF")
        # The logged lines are a run of what the receiver sent, byte for byte.
        sent = widen(sim.sent_bytes())
        expect(text in sent, "logged lines are not a run of the sent lines")
        expect(sent.startswith(lines[0]) or ("\n" + lines[0]) in sent, "first logged line cut")

    def closes_and_stops():
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "not closed")
        time.sleep(0.5)
        mark = drive.text("console")
        time.sleep(1.5)
        expect(drive.text("console") == mark, "lines still arrive after Close GPS")

    def open_close_many_times():
        for i in range(20):
            drive("click", IDC_START_GPS)
            expect(drive.text(IDC_START_GPS) == "Close GPS", "open %d failed" % i)
            time.sleep(0.05 * (i % 4))
            drive("click", IDC_START_GPS)
            expect(drive.text(IDC_START_GPS) == "Start GPS", "close %d failed" % i)
        expect(drive("alive") == "1", "program not answering")
        wait_for("the readers to end (baseline %d threads)" % before["threads"],
                 lambda: int(drive("threads")) <= before["threads"], 5, 0.25)
        drive("click", IDC_START_GPS)
        wait_for("lines after reopening", lambda: "$GNGGA," in drive.text("console"), 10)

    def fast_receiver():
        # Ten cycles a second at 115200 baud, as many lines as the port carries:
        # the window keeps answering and the link still closes.
        env.stop(sims[0].process)
        sims[0] = Simulator(env, args.sim, pty.host, "sim-fast", "--baud", "115200",
                            "--fix-after", "0", "--rate-hz", "10")
        drive("settext", "console", "")
        # How fast lines go through is the throughput benchmark's business;
        # here the window must keep answering and lines must keep coming.
        for _ in range(8):
            expect(drive("alive") == "1", "program stopped answering")
            time.sleep(0.5)
        shown = drive.text("console").count("\r\n")
        expect(shown > 0, "no line shown while the receiver floods the port")
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "could not close during the flood")
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Close GPS", "could not reopen")

    def faulty_receiver():
        # A receiver that garbles its output: the program keeps going and logs
        # what its reader delivered, bytes above 0x7F widened with their sign.
        env.stop(sims[0].process)
        earlier = sims[0]
        time.sleep(1.5)  # the program works off the flood
        sims[0] = Simulator(env, args.sim, pty.host, "sim-faults", "--baud", "115200",
                            "--fix-after", "0", "--high-bytes", "5", "--bad-checksum", "7",
                            "--long-lines", "11", "--cut-lines", "13")
        drive("settext", IDC_LOG_NAME, "e2e_faults")
        drive("check", IDC_LOG_FILE, 1)
        time.sleep(4)
        drive("check", IDC_LOG_FILE, 0)
        expect(drive("alive") == "1", "program stopped answering")
        with open(program.log_path("e2e_faults"), "rb") as f:
            text = f.read()[2:].decode("utf-16-le")
        lines = text.splitlines(keepends=True)
        expect(len(lines) >= 20, "only %d lines logged" % len(lines))
        expect("\uffb0\uffe9" in text, "no widened high bytes in the log")
        expect(all(len(line) <= 256 for line in lines), "an over-long line was delivered")
        # A line cut at the end of a cycle is dropped by the read timeout, so
        # the line after it may arrive alone: each logged line is the whole or
        # the end of a line the reader can make of the bytes sent.
        # The port carried the receiver before it first (the program may still
        # be working off its flood), then this one.
        delivered = delivered_lines(earlier.sent_bytes() + sims[0].sent_bytes())
        for line in lines:
            expect(any(d.endswith(line) for d in delivered), "logged line %r was not sent" % line)
        expect(any(len(line) == 88 and line.startswith("X") for line in lines),
               "the end of an over-long line was not delivered on its own")
        wait_for("lines after the faults", lambda: "$GNGGA," in drive.text("console"), 5)

    def pulled_cable():
        pty.pull()
        sims[0].process.wait(10)
        expect(sims[0].process.returncode == 1,
               "simulator ended with %s" % sims[0].process.returncode)
        for _ in range(6):
            expect(drive("alive") == "1", "program stopped answering")
            time.sleep(0.5)
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "could not close after the cable went")
        drive("close", 10000)
        program.process.wait(15)

    try:
        results.run("receiver: port listed by discovery", port_listed)
        results.run("receiver: Start GPS opens, lines arrive", opens_and_lines_arrive)
        results.run("receiver: first fix in caption and panel", first_fix_caption)
        results.run("receiver: version query and reply", version_reply)
        results.run("receiver: SBAS commands and replies", sbas_replies)
        results.run("receiver: VTG on and off", vtg_switch)
        results.run("receiver: power save on and off", power_save_switch)
        results.run("receiver: typed sentence", typed_sentence)
        results.run("receiver: auto-send repeats and stops", auto_send)
        results.run("receiver: cold start, factory reset", cold_start_and_factory_reset)
        results.run("receiver: log file", log_file)
        results.run("receiver: Close GPS", closes_and_stops)
        results.run("receiver: open/close 20 times", open_close_many_times)
        results.run("receiver: fast receiver", fast_receiver)
        results.run("receiver: garbled output", faulty_receiver)
        results.run("receiver: cable pulled mid-stream", pulled_cable)
    finally:
        try:
            drive("close", 5000)
        except Failure:
            pass
        drive.close()
        env.stop(program.process, 10)
        env.stop(sims[0].process)
        if pty.process.poll() is None:
            pty.pull()
        env.unregister_port(COM)


def on_terminate(signum, frame):
    # ctest's timeout: leave through the finally blocks, which stop everything.
    raise SystemExit(128 + signum)


def main():
    signal.signal(signal.SIGTERM, on_terminate)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--phase", choices=("playback", "receiver"), help="run one phase only")
    parser.add_argument("--only", help="run only the tests whose names match this pattern")
    args = parser.parse_args()
    for path in (args.exe, args.driver, args.sim):
        if not os.path.exists(path):
            print("missing: " + path, file=sys.stderr)
            return 2

    env = Environment(os.path.abspath(args.work))
    results = Results(args.only)
    started = time.monotonic()
    try:
        env.start_display()
        env.make_prefix()
        if args.phase in (None, "playback"):
            playback_phase(env, args, results)
        if args.phase in (None, "receiver"):
            receiver_phase(env, args, results)
    except Failure as e:
        print("FAIL setup: %s" % e, flush=True)
        results.failed.append("setup")
    finally:
        env.cleanup()
    print("%d passed, %d failed in %.0f s" % (results.passed, len(results.failed),
                                               time.monotonic() - started))
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
