"""The record phase: skyloom-sim sends as much as COM5 carries at 115200 baud;
File > Record Raw... records it where the program offers, and the recording
holds exactly what was sent and plays back as the lines the console showed."""

import os
import re

from skyloom_e2e import (COM, IDC_BAUD, IDC_PORT, IDC_START_GPS, IDM_RECORD_RAW, IDM_RECORD_STOP,
                         PORT_NAME, WM_COMMAND, close_program, Driver, escape, expect, lines_of,
                         Program, Pty, release_receivers, Simulator, wait_for,
                         wait_until_agreed)


STOP_NOTE = "Stop Recording\r\n...OK\r\n"


def first_unshown(played, live):
    """None when the live console showed the played lines in the same order;
    else the first played line it did not show, with the live lines there.
    The recording's first line may be the tail of one, so the caller leaves
    it out. A line whose bytes paused for longer than the port's read
    timeout (a loaded machine can hold the receiver back that long) reached
    the live console as its tail only (an empty line if only the line feed
    was left), and plays back whole from the recording."""
    if not played:
        return None

    def shown(live_line, played_line):
        # A pause right before the line feed leaves the line feed alone.
        return played_line.endswith(live_line)

    worst, at = 0, 0
    for start in range(len(live)):
        n = 0
        while n < len(played) and start + n < len(live) and shown(live[start + n], played[n]):
            n += 1
        if n == len(played):
            return None
        if n > worst:
            worst, at = n, start + n
    return played[worst], live[max(0, at - 1):at + 2]


def record_phase(env, args, results):
    pty = Pty(env, env.work)
    env.register_port(COM, pty.dev, PORT_NAME)
    sim = Simulator(env, args.sim, pty.host, "sim-record", "--baud", "115200", "--fix-after", "0",
                    "--rate-hz", "10")
    program = Program(env, args.exe)
    program.start()
    drive = Driver(env, args.driver)

    def record_then_play_back():
        drive("find", 30000)
        drive("select", IDC_BAUD, 8)
        drive("click", IDC_START_GPS)
        wait_for("GGA in the console", lambda: "$GNGGA," in drive.text("console"), 10)
        drive("settext", "console", "")
        drive("post", WM_COMMAND, IDM_RECORD_RAW, 0)
        name = drive.unescaped("dialog-keep", escape("Record Raw"), 10000)  # as offered
        expect(re.match(r"^skyloom-\d{8}-\d{6}\.pgl$", name), "offered %r" % name)
        expect(drive.caption().endswith(" - Recording"), "caption %r" % drive.caption())
        path = os.path.join(program.folder, name)  # beside the executable
        # The reader writes each read as it comes: the file grows with the flood.
        wait_for("20000 bytes in the recording",
                 lambda: os.path.exists(path) and os.path.getsize(path) > 20000, 30, 0.25)
        drive("send", WM_COMMAND, IDM_RECORD_STOP, 0)
        with open(path, "rb") as f:
            recording = f.read()
        # The reader records a read before it hands over its lines: the
        # console shows the recording's last lines a little later. A receiver
        # at 10 Hz repeats lines word for word, so only the whole run of
        # recorded lines, in order, says the console has caught up.
        lines = lines_of(recording)
        expected = b"".join(lines).decode("latin-1").replace("\r\n", "\n").replace("\n", "\r\n")
        recorded = expected.split("\r\n")[1:-1]

        def unshown():
            # The note of the stop lands among the recorded lines not yet
            # shown; the console's last piece may be a line still arriving.
            live = drive.text("console").replace(STOP_NOTE, "").split("\r\n")[:-1]
            return first_unshown(recorded, live)

        wait_until_agreed("the recorded lines, in order, in the console (the first not shown,"
                          " with the live lines there)", unshown, 15, 0.25)
        # Nothing lost, nothing changed: a run of exactly what the receiver sent.
        expect(recording in sim.sent_bytes(), "the recording is not a run of the sent bytes")

        drive("click", IDC_START_GPS)
        drive("select", IDC_PORT, 2)  # "Log File:"
        drive("post-click", IDC_START_GPS)
        drive("dialog", escape("Open Recording"), escape("Z:" + os.path.join(
            program.folder, name).replace("/", "\\")), 10000)
        wait_for("%d lines played back" % len(lines),
                 lambda: drive.text("console").count("\r\n") >= len(lines), 30, 0.5)
        played = drive.text("console")
        drive("click", IDC_START_GPS)
        expect(played == expected, "playback differs from the recording's lines")

    try:
        results.run("record: a live session recorded and played back", record_then_play_back)
    finally:
        close_program(env, drive, program, 5000)
        release_receivers(env, [sim], [pty], [COM])
