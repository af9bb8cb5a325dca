"""The ports phase: receivers that come and go while the program runs. A second
pseudo-terminal port registered live appears in the list after a device notice
(Wine sends none of its own for registry devices, so the test sends them, with
no data, as another program would); the open port pulled (its socat ended) and
brought back on the same path is lost, waited for and opened again, with every
line the receivers sent before and after in the log file, in order. (Close GPS
during the wait: the receiver phase's pulled cable.)"""

import os
import time

from skyloom_e2e import (CAPTION_FIX, COM, IDC_BAUD, IDC_COLD_START, IDC_LOG_FILE, IDC_LOG_NAME,
                         IDC_PORT, IDC_START_GPS, PORT_NAME, close_program, Driver, expect,
                         lines_of, Program, Pty, release_receivers, Simulator, wait_for, widen)

WM_DEVICECHANGE = 0x219
DBT_DEVICEARRIVAL = 0x8000
DBT_DEVICEREMOVECOMPLETE = 0x8004
SECOND_COM = COM + 1
SECOND_NAME = "Skyloom Second GPS"
LOST = "ComPort LOST!!"
BACK = "ComPort BACK!!"


def ports_phase(env, args, results):
    ptys = [Pty(env, env.work)]
    env.register_port(COM, ptys[0].dev, PORT_NAME)
    sims = []
    program = Program(env, args.exe)
    program.start()
    drive = Driver(env, args.driver)
    drive("find", 30000)
    first = "%s (COM%d)" % (PORT_NAME, COM)
    second = "%s (COM%d)" % (SECOND_NAME, SECOND_COM)

    def notice(event):
        # The window answers TRUE after the arrival's half-second pause.
        expect(drive("send", WM_DEVICECHANGE, event, 0) == "1", "notice not answered TRUE")

    def listed():
        selection, entries = drive.combo(IDC_PORT)
        return entries[selection] if 0 <= selection < len(entries) else None, entries

    def plugged_in_port_appears():
        expect(listed() == (first, [first, "Network:", "Log File:"]), "port list at start: %r" % (listed(),))
        other = Pty(env, os.path.join(env.work, "second"))
        ptys.append(other)
        env.register_port(SECOND_COM, other.dev, SECOND_NAME, restart_server=False)
        notice(DBT_DEVICEARRIVAL)
        # The notices settle for two seconds before the list is rebuilt.
        entries = wait_for("the new port in the list",
                           lambda: listed()[1] if len(listed()[1]) == 4 else None, 10)
        expect(sorted(entries[:2]) == sorted([first, second]) and
               entries[2:] == ["Network:", "Log File:"],
               "port list %r" % entries)
        expect(listed()[0] == second, "the port just plugged in is not selected: %r"
               % (listed(),))

        env.unregister_port(SECOND_COM, restart_server=False)
        other.pull()
        notice(DBT_DEVICEREMOVECOMPLETE)
        wait_for("the removed port gone from the list",
                 lambda: listed() == (first, [first, "Network:", "Log File:"]), 10)

    def pulled_port_comes_back():
        drive("select", IDC_BAUD, 8)
        log = program.fresh_log_path("e2e_reconnect")
        drive("settext", IDC_LOG_NAME, "e2e_reconnect")
        drive("check", IDC_LOG_FILE, 1)
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Close GPS", "did not open")
        # The receiver starts once the port is open, so that all it sends is
        # read; likewise after the reconnect.
        sims.append(Simulator(env, args.sim, ptys[0].host, "sim-before", "--baud", "115200",
                              "--fix-after", "2"))
        wait_for("the first fix", lambda: CAPTION_FIX.match(drive.caption()), 20, 0.25)
        before_pull = len(logged_lines(log))

        ptys[0].pull()
        sims[0].process.wait(10)
        wait_for("the loss in the console", lambda: LOST in drive.text("console"), 10)
        expect(drive.text(IDC_START_GPS) == "Close GPS", "the wait does not offer Close GPS")
        expect(drive.caption() == "Skyloom  Waiting for COM%d" % COM,
               "caption while waiting: %r" % drive.caption())
        expect(not drive.state(IDC_COLD_START)[1], "Cold Start enabled without a port")
        # No event marks a retry that finds no port: the wait is given time
        # for one at least (once a second), and must say nothing more.
        time.sleep(1.5)
        expect(drive("alive") == "1", "program stopped answering while waiting")
        expect(drive.text("console").count(LOST) == 1, "more than one note of the loss")

        ptys[0] = Pty(env, env.work)  # the cable back in: the same path again
        wait_for("the reconnect in the console", lambda: BACK in drive.text("console"), 10)
        expect(drive.text(IDC_START_GPS) == "Close GPS", "not open after the reconnect")
        sims.append(Simulator(env, args.sim, ptys[0].host, "sim-after", "--baud", "115200",
                              "--fix-after", "2"))
        wait_for("lines after the reconnect",
                 lambda: "$GNGGA," in drive.text("console").split(BACK)[-1], 10)
        wait_for("a new first fix after the reconnect",
                 lambda: CAPTION_FIX.match(drive.caption()), 20, 0.25)
        env.stop(sims[-1].process)
        sent_before = [widen(line) for line in lines_of(sims[0].sent_bytes())]
        sent_after = [widen(line) for line in lines_of(sims[-1].sent_bytes())]
        # Every line sent has reached the log once its last whole line has.
        wait_for("the receiver's last line in the log",
                 lambda: logged_lines(log)[-1:] == sent_after[-1:], 15, 0.25)
        drive("check", IDC_LOG_FILE, 0)
        got = logged_lines(log)
        # The cable took whatever was on its way; all that arrived is logged,
        # and the log has no line twice, none out of order, nothing in between.
        kept = len(got) - len(sent_after)
        expect(kept >= before_pull, "log lost lines from before the pull: %d of %d"
               % (kept, before_pull))
        expect(got[:kept] == sent_before[:kept], "the log is not what was sent before the pull")
        expect(got[kept:] == sent_after, "the log is not what was sent after the reconnect")

    try:
        results.run("ports: a port plugged in appears", plugged_in_port_appears)
        results.run("ports: a pulled port comes back, log whole", pulled_port_comes_back)
    finally:
        close_program(env, drive, program, 5000)
        release_receivers(env, sims, ptys, [SECOND_COM, COM])


def logged_lines(path):
    """The log file's lines, each with its line feed."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    text = data[2:].decode("utf-16-le", errors="replace")
    return [line + "\n" for line in text.split("\n")[:-1]]
