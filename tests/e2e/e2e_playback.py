"""The playback phase: a prefix with no serial port; recordings played through
the file dialog (read-only, held open by another program, the dialog cancelled)."""

import os
import subprocess

from skyloom_e2e import (COM, IDC_LOG_FILE, IDC_LOG_NAME, IDC_PORT, IDC_SCAN_PORTS, IDC_START_GPS,
                         RECORDING, close_program, Driver, escape, expect, lines_of, Program,
                         wait_for, widen)


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
        drive("dialog", escape("Open Recording"), escape(path), 10000)

    def console_lines():
        return drive.text("console").count("\r\n")

    def play_all(log_name=None):
        if log_name:
            program.fresh_log_path(log_name)
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
        expect(entries == ["Network:", "Log File:"], "port list: %r" % entries)
        expect(selection == 1, "selection %d" % selection)

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
        drive("dialog-cancel", escape("Open Recording"), 10000)
        wait_for("ComPort ERROR!!", lambda: drive.text("console") == "ComPort ERROR!!", 15)
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
        close_program(env, drive, program, 10000)


# --- a receiver on a pseudo-terminal port -------------------------------------
