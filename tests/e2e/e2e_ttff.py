"""The TTFF phase: series of starts through the TTFF test dialog against
skyloom-sim --fix-after 4 --fix-spread 2 on a pseudo-terminal COM port; the
results, their summary, the CSV file, and Stop."""

import csv
import datetime
import os

from skyloom_e2e import (COM, IDC_BAUD, IDC_START_GPS, PORT_NAME, close_program, Driver, escape,
                         expect, Program, Pty, release_receivers, Simulator, wait_for)

WM_COMMAND, IDM_TTFF_TEST, LVM_GETITEMCOUNT = 0x0111, 40008, 0x1004
KIND, RUNS, LIMIT, PAUSE, START, STOP, SAVE, STATE, RESULTS, SUMMARY = (
    "ttff:%d" % i for i in range(1023, 1033))
HOT, COLD = 0, 2

# The simulator fixes 2 to 6 s after it got $PMTK103, at its next cycle (1 Hz).
# The fix clock starts at the first line after the start was sent, about 0.6 s
# (the writer's and the script's pauses) to 1.6 s (a cycle's silence) after
# the sentence went out, and the first fix counts only past 3 s on it: 3.0 to
# about 6.4 s, and one more for a busy machine.
FASTEST, SLOWEST = 3.0, 7.5


def summary_of(times):
    """The summary of these fix times (no timeouts) as the program must write it."""
    t = sorted(round(x * 10) for x in times)  # tenths
    n = len(t)
    median = t[n // 2] * 10 if n % 2 else (t[n // 2 - 1] + t[n // 2]) * 5  # hundredths
    mean = (sum(t) * 20 + n) // (2 * n)  # hundredths, rounded half up
    return {"runs": str(n), "fixes": str(n), "timeouts": "0", "min_s": "%d.%d" % divmod(t[0], 10),
            "median_s": "%d.%02d" % divmod(median, 100), "mean_s": "%d.%02d" % divmod(mean, 100),
            "p90_s": "%d.%d" % divmod(t[(9 * n + 9) // 10 - 1], 10),
            "max_s": "%d.%d" % divmod(t[-1], 10)}


def csv_complete(path):
    try:
        with open(path, newline="") as f:
            return any(line.startswith("max_s,") and line.endswith("\n") for line in f)
    except FileNotFoundError:
        return False


def ttff_phase(env, args, results):
    pty = Pty(env, env.work)
    env.register_port(COM, pty.dev, PORT_NAME)
    sim = Simulator(env, args.sim, pty.host, "sim-ttff", "--baud", "115200", "--fix-after", "4",
                    "--fix-spread", "2", "--seed", "5")
    program = Program(env, args.exe)
    program.start()
    drive = Driver(env, args.driver)
    drive("find", 30000)
    csv_unix, csv_win = env.windows_path("e2e/ttff.csv")

    def start_series(kind, runs, pause):
        drive("select", KIND, kind)
        drive("settext", RUNS, runs)
        drive("settext", LIMIT, 30)
        drive("settext", PAUSE, pause)
        drive("click", START)

    def state():
        return drive.text(STATE)

    def rows():
        return int(drive("sendto", RESULTS, LVM_GETITEMCOUNT))

    def five_cold_starts():
        drive("select", IDC_BAUD, 8)
        drive("click", IDC_START_GPS)
        wait_for("GGA in the console", lambda: "$GNGGA," in drive.text("console"), 10)
        drive("send", WM_COMMAND, IDM_TTFF_TEST)
        wait_for("the dialog", lambda: drive("title-exists", escape("TTFF Test")) == "1", 15)
        before = sim.received_bytes()
        start_series(COLD, 5, 1)
        wait_for("five runs", lambda: state().startswith("Done"), 120, 0.5)
        expect(state() == "Done: 5 runs.", "state %r" % state())
        expect(rows() == 5, "%d rows listed" % rows())
        sent = sim.received_bytes()[len(before):]
        expect(sent == b"$PMTK605*31\r\n$PMTK103*30\r\n" * 5, "sent %r" % sent)

        os.makedirs(os.path.dirname(csv_unix), exist_ok=True)
        if os.path.exists(csv_unix):
            os.remove(csv_unix)
        drive("post-click", SAVE)
        drive("dialog", escape("Save TTFF Results"), escape(csv_win), 10000)
        # The file is written after the dialog is gone: whole once its last
        # summary row is in.
        wait_for("the CSV file with its summary", lambda: csv_complete(csv_unix), 15, 0.2)
        with open(csv_unix, newline="") as f:
            lines = list(csv.reader(f))
        expect(lines[0] == ["run", "kind", "start", "result", "ttff_s", "fix", "satellites_used",
                            "hdop"], "header %r" % lines[0])
        runs, summary = lines[1:6], dict(lines[7:])
        expect(lines[6] == [], "no empty line after the runs")
        starts = [datetime.datetime.fromisoformat(r[2]) for r in runs]
        expect(starts == sorted(starts), "start times out of order")
        times = [float(r[4]) for r in runs]
        expect(all(r[1:2] + r[3:4] + r[5:6] + r[7:] == ["cold", "fix", "3D", "0.86"] for r in runs),
               "runs %r" % runs)
        expect(all(FASTEST <= t <= SLOWEST for t in times), "times %r" % times)
        expect(summary == summary_of(times), "summary %r for %r" % (summary, times))
        shown = drive.text(SUMMARY)
        expect(shown == "Runs: 5   Fixes: 5   Timeouts: 0\r\nMin %s s   Median %s s   Mean %s s   "
               "90%% %s s   Max %s s" % tuple(summary[k] for k in (
                   "min_s", "median_s", "mean_s", "p90_s", "max_s")), "dialog shows %r" % shown)

    def stop_keeps_finished_runs():
        before = len(sim.received_bytes())
        start_series(HOT, 3, 6)
        wait_for("the first run", lambda: drive.text(SUMMARY).startswith("Runs: 1 "), 20, 0.25)
        drive("click", STOP)  # in the pause: the second start is not sent yet
        expect(state() == "Stopped after 1 of 3 runs.", "state %r" % state())
        expect(rows() == 1, "%d rows after Stop" % rows())
        sim.wait_cycles("past the 6 s pause", 8)
        sent = sim.received_bytes()[before:]
        expect(sent == b"$PMTK101*32\r\n", "sent %r" % sent)
        expect(drive.state(START)[1] == 1 and drive.state(STOP)[1] == 0, "buttons after Stop")

    try:
        results.run("ttff: five cold starts, summary, CSV", five_cold_starts)
        results.run("ttff: Stop keeps the finished runs", stop_keeps_finished_runs)
    finally:
        close_program(env, drive, program, 5000)
        release_receivers(env, [sim], [pty], [COM])
