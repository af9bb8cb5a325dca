"""The record phase: skyloom.exe installed where it may not write (as for all
users), skyloom-sim flooding COM5 at 115200 baud. The advanced controls from
the menu; the log file in Documents\\Skyloom, or an error; a raw recording of
the live session, then played back line for line."""

import getpass
import os
import re
import shutil
import subprocess
import time

from skyloom_e2e import (COM, Driver, Failure, IDC_BAUD, IDC_LOG_FILE, IDC_LOG_NAME, IDC_PORT,
                         IDC_START_GPS, IDM_ADVANCED_CONTROLS, IDM_RECORD_RAW, IDM_RECORD_STOP,
                         PORT_NAME, Program, Pty, Simulator, WM_COMMAND, escape, expect, lines_of,
                         wait_for)

IDC_SET_FILTER = 1019
MARK = " - Recording"


def lock(folder, on):
    """The program's folder as Program Files is to a user: nothing can be made in it."""
    if not os.path.exists(folder):
        return
    if on:
        os.chmod(folder, 0o555)
    if os.geteuid() == 0:  # root writes whatever the mode; not into an immutable folder
        subprocess.run(["chattr", "+i" if on else "-i", folder], check=on, timeout=10)
    if not on:
        os.chmod(folder, 0o755)


def documents(env):
    """The prefix's Documents as a folder of its own: Wine links it to the
    user's home, where the tests have no business. (unix path, Windows path)"""
    user = getpass.getuser()
    unix = os.path.join(env.env["WINEPREFIX"], "drive_c", "users", user, "Documents")
    if os.path.islink(unix):
        os.unlink(unix)
    shutil.rmtree(os.path.join(unix, "Skyloom"), ignore_errors=True)
    os.makedirs(unix, exist_ok=True)
    return unix, "C:\\users\\%s\\Documents" % user


def record_phase(env, args, results):
    pty = Pty(env, env.work)
    env.register_port(COM, pty.dev, PORT_NAME)
    docs_unix, docs_win = documents(env)
    folder = os.path.join(env.work, "bin-locked")
    lock(folder, False)
    program = Program(env, args.exe, "bin-locked")
    try:
        lock(folder, True)
        # As many lines as 115200 baud carries.
        sim = Simulator(env, args.sim, pty.host, "sim-record", "--baud", "115200",
                        "--fix-after", "0", "--rate-hz", "10")
        program.start()
        drive = Driver(env, args.driver)
        run_tests(env, results, program, drive, sim, folder, docs_unix, docs_win)
    finally:
        env.stop(program.process, 10)
        lock(folder, False)
        if pty.process.poll() is None:
            pty.pull()
        env.unregister_port(COM)


def run_tests(env, results, program, drive, sim, folder, docs_unix, docs_win):

    def opens():
        drive("find", 30000)
        drive("select", IDC_BAUD, 8)
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Close GPS", "COM%d did not open" % COM)
        wait_for("GGA in the console", lambda: "$GNGGA," in drive.text("console"), 10)

    def visible(control):
        return drive.state(control)[2] == 1

    def advanced_view():
        expect(not visible(IDC_LOG_FILE), "the default view shows the log box")
        drive("send", WM_COMMAND, IDM_ADVANCED_CONTROLS, 0)
        expect(visible(IDC_LOG_FILE) and visible(IDC_LOG_NAME), "the log box did not show")
        expect(not visible(IDC_SET_FILTER), "a control that does nothing showed")
        drive("send", WM_COMMAND, IDM_ADVANCED_CONTROLS, 0)
        expect(not visible(IDC_LOG_FILE), "the log box did not hide again")

    def log_in_documents():
        drive("settext", IDC_LOG_NAME, "e2e_locked")
        drive("check", IDC_LOG_FILE, 1)
        where = docs_win + "\\Skyloom\\e2e_locked_log.txt"
        wait_for("the console to say where the log is",
                 lambda: ("Log File\r\n..." + where + "\r\n") in drive.text("console"), 5)
        time.sleep(1.5)
        drive("check", IDC_LOG_FILE, 0)
        with open(os.path.join(docs_unix, "Skyloom", "e2e_locked_log.txt"), "rb") as f:
            log = f.read()
        expect(log[:2] == b"\xff\xfe", "log starts with %r" % log[:2])
        expect(log[2:].decode("utf-16-le").count("\r\n") >= 20, "few lines logged")

    def log_nowhere():
        drive("settext", IDC_LOG_NAME, escape("no_such_folder\\e2e"))
        drive("check", IDC_LOG_FILE, 1)
        wait_for("Log File ERROR!!",
                 lambda: "\r\nLog File ERROR!!\r\n" in drive.text("console"), 5)
        checked, _, _ = drive.state(IDC_LOG_FILE)
        _, name_enabled, _ = drive.state(IDC_LOG_NAME)
        expect(checked == 0 and name_enabled == 1, "box %d, name enabled %d" % (checked,
                                                                                name_enabled))

    def record_then_play_back():
        drive("settext", "console", "")
        drive("post", WM_COMMAND, IDM_RECORD_RAW, 0)
        offered = drive.unescaped("dialog-keep", escape("Record Raw"), 10000)
        expect(re.match(r"^skyloom-\d{8}-\d{6}\.pgl$", offered), "offered %r" % offered)
        path = os.path.join(docs_unix, "Skyloom", offered)
        wait_for(offered + " in Documents\\Skyloom", lambda: os.path.exists(path), 5)
        expect(drive.caption().endswith(MARK), "caption %r" % drive.caption())
        time.sleep(4)
        drive("send", WM_COMMAND, IDM_RECORD_STOP, 0)
        expect(not drive.caption().endswith(MARK), "caption %r" % drive.caption())
        live = drive.text("console")
        with open(path, "rb") as f:
            recording = f.read()
        expect(len(recording) > 20000, "only %d bytes in 4 s" % len(recording))
        # Nothing lost, nothing changed: a run of exactly what the receiver sent.
        expect(recording in sim.sent_bytes(), "the recording is not a run of the sent bytes")

        drive("click", IDC_START_GPS)
        drive("select", IDC_PORT, 1)  # "Log File:"
        drive("post-click", IDC_START_GPS)
        drive("dialog", escape("Open Recording"), escape(docs_win + "\\Skyloom\\" + offered), 10000)
        lines = lines_of(recording)
        expected = b"".join(lines).decode("latin-1").replace("\r\n", "\n").replace("\n", "\r\n")
        wait_for("%d lines played back" % len(lines),
                 lambda: drive.text("console").count("\r\n") >= len(lines), 30, 0.5)
        played = drive.text("console")
        drive("click", IDC_START_GPS)
        expect(played == expected, "playback differs from the recording's lines")
        # The live console showed the same lines in the same order; the first
        # line of the recording may be the tail of one.
        expect(played[played.index("\r\n") + 2:] in live, "playback differs from the live lines")

    def nothing_left_in_the_locked_folder():
        expect(os.listdir(folder) == ["skyloom.exe"], "in the folder: %r" % os.listdir(folder))

    try:
        results.run("record: COM%d opens from a locked folder" % COM, opens)
        results.run("record: advanced controls from the menu", advanced_view)
        results.run("record: log in Documents\\Skyloom", log_in_documents)
        results.run("record: log nowhere, Log File ERROR!!", log_nowhere)
        results.run("record: raw recording played back", record_then_play_back)
        results.run("record: the locked folder untouched", nothing_left_in_the_locked_folder)
    finally:
        try:
            drive("close", 5000)
        except Failure:
            pass
        drive.close()
        env.stop(sim.process)
