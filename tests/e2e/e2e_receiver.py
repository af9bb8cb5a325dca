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
                         UM_QUERY_VERSION, UM_SBAS_OFF, UM_SBAS_ON, close_program, delivered_lines,
                         Driver, escape, expect, Failure, Program, Pty, release_receivers,
                         Simulator, wait_for, widen)


def long_line_tail(lines):
    """The end of the simulator's over-long line on its own: what is left of
    its 600 characters once the reader dropped 511 and the byte after them."""
    return any(len(line) == 88 and line.startswith("X") for line in lines)


def logged_text(path):
    """The log file's text so far (UTF-16LE after its byte-order mark)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return ""
    return data[2:len(data) - len(data) % 2].decode("utf-16-le")


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
                 lambda: len(sim.received_bytes()) >= len(expected_rx[0]), 15)
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

        # The caption comes with the fix's line; the panel repaints at the end
        # of that cycle, which a loaded machine may take a while to reach.
        def panel_changed():
            after = screenshot("status-after")
            metric = subprocess.run(["compare", "-metric", "AE", before["shot"], after, "null:"],
                                    env=env.env, capture_output=True, text=True, timeout=30)
            return float(metric.stderr.split()[0]) > 2000

        wait_for("the status panel to show the fix (over 2000 pixels changed)", panel_changed,
                 20, 0.5)

    def version_reply():
        # The one reply can reach the program cut, as any line can when the
        # port's read timeout runs out inside it: on a loaded machine Wine may
        # let it run out while the bytes are already there. A reply the
        # program showed must set both texts; one it never showed is asked for
        # again, a few times at most.
        for attempt in range(3):
            sent_command("version query", b"$PMTK605*31\r\n",
                         lambda: drive("command", IDC_GET_VERSION))
            try:
                wait_for("core version",
                         lambda: drive.text(IDC_CORE_VERSION).startswith("SKYSIM_CORE_"), 15)
                break
            except Failure:
                expect("$PMTK705," not in drive.text("console"),
                       "the reply was shown but set no core version")
        else:
            raise Failure("no whole version reply in three queries")
        wait_for("FW version", lambda: drive.text(IDC_FW_VERSION).startswith("SKYSIM_FW_"), 15)

    def sbas_replies():
        # Only the receiver's answer ticks and unticks the box: the messages
        # are sent past the box.
        expect(drive.state(IDC_SBAS)[0] == 0, "SBAS box ticked at start")
        sent_command("SBAS on", b"$PSRF151,01*0F\r\n", lambda: drive("post", UM_SBAS_ON))
        wait_for("WAAS Enable ticks the box", lambda: drive.state(IDC_SBAS)[0] == 1, 15)
        sent_command("SBAS off", b"$PSRF151,00*0E\r\n", lambda: drive("post", UM_SBAS_OFF))
        wait_for("WAAS Disable unticks the box", lambda: drive.state(IDC_SBAS)[0] == 0, 15)

    def vtg_switch():
        sent_command("VTG on", b"$PSRF103,05,00,01,01*20\r\n", lambda: drive("check", IDC_VTG, 1))
        wait_for("VTG in the console", lambda: "$GNVTG," in drive.text("console"), 15)
        sent_command("VTG off", b"$PSRF103,05,00,00,01*21\r\n", lambda: drive("check", IDC_VTG, 0))
        mark = len(drive.text("console"))

        # A whole cycle shown after the switch, from one GGA to the next: a
        # VTG of the cycle under way may still come, none of a later one.
        def whole_cycle():
            cycles = drive.text("console")[mark:].split("$GNGGA,")
            return cycles[1:-1]

        cycle = wait_for("a whole cycle in the console after VTG off", whole_cycle, 15, 0.25)[0]
        expect("$GNVTG," not in cycle, "VTG still sent")

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
        began = time.monotonic()
        wait_for("three sentences sent by auto-send",
                 lambda: sim.received_bytes().count(line) >= start + 3, 15)
        # A loaded machine makes the timer late, never early: three sentences
        # at a period of 1 s take two periods at least.
        spent = time.monotonic() - began
        expect(spent >= 1.8, "three sentences in %.1f s at a period of 1 s" % spent)
        drive("check", IDC_AUTO_SEND, 0)
        # The box posts its stop; a query posted behind it is the last thing
        # the receiver gets for three of its cycles.
        drive("post", UM_QUERY_VERSION)
        query = b"$PMTK605*31\r\n"
        wait_for("the version query after auto-send stopped",
                 lambda: sim.received_bytes().endswith(query), 15)
        stopped = sim.received_bytes()
        sim.wait_cycles("auto-send stopped", 3)
        expect(sim.received_bytes() == stopped, "auto-send did not stop")
        # Everything received is whole copies of the typed sentence.
        rest = sim.received_bytes()[len(expected_rx[0]):-len(query)]
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
        log = program.fresh_log_path("e2e_live")
        drive("settext", IDC_LOG_NAME, "e2e_live")
        drive("check", IDC_LOG_FILE, 1)
        # Each line is written as it is handled: the file grows line by line.
        wait_for("20 lines in the log file", lambda: logged_text(log).count("\n") >= 20, 15, 0.25)
        drive("check", IDC_LOG_FILE, 0)
        # The box posts the log's stop: once a query posted behind it went
        # out, the file is closed and whole.
        sent_command("a query behind the log's stop", b"$PMTK605*31\r\n",
                     lambda: drive("post", UM_QUERY_VERSION))
        with open(log, "rb") as f:
            data = f.read()
        expect(data[:2] == b"\xff\xfe", "log starts with %r" % data[:2])
        text = data[2:].decode("utf-16-le")
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
        # A line being handed over as the link closed is still shown; it is
        # in by the receiver's next cycle, and then nothing more comes.
        sim.wait_cycles("a line late from the closed link", 1)
        mark = drive.text("console")
        sim.wait_cycles("Close GPS", 2)
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
                 lambda: int(drive("threads")) <= before["threads"], 15, 0.25)
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
        def flooded():
            expect(drive("alive") == "1", "program stopped answering")
            return sims[0].sent_bytes().count(b"GGA,") >= 40

        wait_for("four seconds of the flood (40 cycles sent)", flooded, 30, 0.5)
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
        sims[0] = Simulator(env, args.sim, pty.host, "sim-faults", "--baud", "115200",
                            "--fix-after", "0", "--high-bytes", "5", "--bad-checksum", "7",
                            "--long-lines", "11", "--cut-lines", "13")
        log = program.fresh_log_path("e2e_faults")
        drive("settext", IDC_LOG_NAME, "e2e_faults")
        drive("check", IDC_LOG_FILE, 1)
        # Every kind of fault has come through once the log shows each.
        wait_for("20 lines, widened high bytes and the end of an over-long line in the log",
                 lambda: logged_text(log).count("\n") >= 20 and "\uffb0\uffe9" in logged_text(log)
                 and long_line_tail(logged_text(log).splitlines(keepends=True)), 30, 0.5)
        drive("check", IDC_LOG_FILE, 0)
        drive("post", UM_QUERY_VERSION)  # behind the log's stop, as above
        wait_for("a query behind the log's stop at the receiver",
                 lambda: sims[0].received_bytes() == b"$PMTK605*31\r\n", 15)
        expect(drive("alive") == "1", "program stopped answering")
        text = logged_text(log)
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
        expect(long_line_tail(lines), "the end of an over-long line was not delivered on its own")
        wait_for("lines after the faults", lambda: "$GNGGA," in drive.text("console"), 15)

    def pulled_cable():
        pty.pull()
        sims[0].process.wait(10)
        expect(sims[0].process.returncode == 1,
               "simulator ended with %s" % sims[0].process.returncode)
        wait_for("the loss in the console", lambda: "ComPort LOST!!" in drive.text("console"), 15)
        expect(drive("alive") == "1", "program stopped answering")
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
