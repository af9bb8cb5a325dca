"""The receiver phase: skyloom-sim on a pseudo-terminal mapped to a COM port and
listed by device discovery; opening, first fix, every command byte for byte, the
replies, the log file, auto-send, repeated open/close, and a pulled cable."""

import os
import subprocess
import time

from skyloom_e2e import (CAPTION_FIX, COM, IDC_AUTO_PERIOD, IDC_AUTO_SEND, IDC_BAUD,
                         IDC_COLD_START, IDC_CORE_VERSION, IDC_FACTORY_RESET, IDC_FW_VERSION,
                         IDC_GET_VERSION, IDC_LOG_FILE, IDC_LOG_NAME, IDC_PORT, IDC_POWER_SAVE,
                         IDC_SBAS, IDC_SEND, IDC_START_GPS, IDC_USER_SENTENCE, IDC_VTG, PORT_NAME,
                         UM_SBAS_OFF, UM_SBAS_ON, close_program, delivered_lines, Driver, escape,
                         expect, Program, Pty, release_receivers, Simulator, wait_for, widen)


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
        expect(entries == ["%s (COM%d)" % (PORT_NAME, COM), "Network:", "Log File:"],
               "port list: %r" % entries)
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
        close_program(env, drive, program, 5000)
        release_receivers(env, sims, [pty], [COM])
