"""The record phase: skyloom-sim sends as much as COM5 carries at 115200 baud;
File > Record Raw... records it where the program offers, and the recording
holds exactly what was sent and plays back as the lines the console showed."""

import os
import re
import time

from skyloom_e2e import (COM, IDC_BAUD, IDC_PORT, IDC_START_GPS, IDM_RECORD_RAW, IDM_RECORD_STOP,
                         PORT_NAME, WM_COMMAND, close_program, Driver, escape, expect, lines_of,
                         Program, Pty, release_receivers, Simulator, wait_for)


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
        time.sleep(4)
        drive("send", WM_COMMAND, IDM_RECORD_STOP, 0)
        live = drive.text("console")
        with open(os.path.join(program.folder, name), "rb") as f:  # beside the executable
            recording = f.read()
        expect(len(recording) > 20000, "only %d bytes in 4 s" % len(recording))
        # Nothing lost, nothing changed: a run of exactly what the receiver sent.
        expect(recording in sim.sent_bytes(), "the recording is not a run of the sent bytes")

        drive("click", IDC_START_GPS)
        drive("select", IDC_PORT, 2)  # "Log File:"
        drive("post-click", IDC_START_GPS)
        drive("dialog", escape("Open Recording"), escape("Z:" + os.path.join(
            program.folder, name).replace("/", "\\")), 10000)
        lines = lines_of(recording)
        wait_for("%d lines played back" % len(lines),
                 lambda: drive.text("console").count("\r\n") >= len(lines), 30, 0.5)
        played = drive.text("console")
        drive("click", IDC_START_GPS)
        expected = b"".join(lines).decode("latin-1").replace("\r\n", "\n").replace("\n", "\r\n")
        expect(played == expected, "playback differs from the recording's lines")
        # The same lines in the same order as the live console showed them;
        # the recording's first line may be the tail of one.
        expect(played[played.index("\r\n") + 2:] in live, "playback differs from the live lines")

    try:
        results.run("record: a live session recorded and played back", record_then_play_back)
    finally:
        close_program(env, drive, program, 5000)
        release_receivers(env, [sim], [pty], [COM])
