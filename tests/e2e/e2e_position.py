"""The position phase: a capture played through the Position Statistics
window shows the figures skyloom-decode --stats gives for it, and its CSV
holds every fix with them; a live skyloom-sim --wander 3 --quality rtk-float
is measured as RTK float with the receiver's own GST estimate beside it."""

import csv
import json
import os
import re
import subprocess

from skyloom_e2e import (COM, IDC_BAUD, IDC_PORT, IDC_START_GPS, PORT_NAME, SOURCE_DIR, WM_COMMAND,
                         close_program, Driver, escape, expect, Program, Pty, release_receivers,
                         Simulator, wait_for, wait_until_agreed)

IDM_POSITION_STATS = 40009
RESET, SAVE, FIGURES = ("position:%d" % i for i in (1040, 1041, 1042))
CAPTURE = os.path.join(SOURCE_DIR, "tests", "data", "captures", "skytraq-dgps.pgl")
# The window's label of each of the decoder's keys, in the decoder's order,
# and the CSV's name of it.
FIGURES_SHOWN = [("refLat", "Ref. latitude", "ref_lat"), ("refLon", "Ref. longitude", "ref_lon"),
                 ("refAlt", "Ref. altitude", "ref_alt_m"), ("cep50", "CEP50", "cep50_m"),
                 ("cep95", "CEP95", "cep95_m"), ("drms", "DRMS", "drms_m"),
                 ("twoDrms", "2DRMS", "2drms_m"), ("maxH", "Max. horizontal", "max_h_m"),
                 ("sdEast", "SD east", "sd_east_m"), ("sdNorth", "SD north", "sd_north_m"),
                 ("sdUp", "SD up", "sd_up_m"), ("altMean", "Alt. mean", "alt_mean_m"),
                 ("altMin", "Alt. min", "alt_min_m"), ("altMax", "Alt. max", "alt_max_m"),
                 ("gstH", "GST horizontal", "gst_h_m"), ("gstV", "GST vertical", "gst_v_m"),
                 ("seconds", "Time span", "seconds")]


def shown(text):
    """The window's figures as label -> number text ("-" where none)."""
    values = {}
    for line in text.split("\r\n"):
        m = re.match(r"^([^:]+): (\S+)", line)
        if m:
            values[m.group(1)] = m.group(2).rstrip("\u00b0")
    return values


def as_text(key, value):
    if value is None:
        return "-"
    return ("%.9f" if key in ("refLat", "refLon") else "%.3f") % value


def position_phase(env, args, results):
    unix_path, win_path = env.windows_path("e2e/position.pgl")
    csv_unix, csv_win = env.windows_path("e2e/position.csv")
    os.makedirs(os.path.dirname(unix_path), exist_ok=True)
    with open(CAPTURE, "rb") as src, open(unix_path, "wb") as dst:
        dst.write(src.read())
    pty = Pty(env, env.work)
    env.register_port(COM, pty.dev, PORT_NAME)
    program = Program(env, args.exe)
    program.start()
    drive = Driver(env, args.driver)
    drive("find", 30000)
    sims = []

    def open_window():
        drive("post", WM_COMMAND, IDM_POSITION_STATS, 0)
        wait_for("the Position Statistics window",
                 lambda: drive("title-exists", escape("Position Statistics")) == "1", 5)

    def figures():
        return drive.text(FIGURES)

    def choose(entry):
        _, entries = drive.combo(IDC_PORT)
        index = next((i for i, e in enumerate(entries) if entry in e), None)
        expect(index is not None, "no %r in the port list %r" % (entry, entries))
        drive("select", IDC_PORT, index)

    def playback_agrees_with_the_decoder():
        r = subprocess.run(["wine", args.decode, "--stats", "--utc-offset=0", win_path],
                           env=env.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           timeout=120)
        expect(r.returncode == 0, "skyloom-decode exit %d" % r.returncode)
        decoded = [json.loads(line) for line in r.stdout.decode().splitlines()
                   if line.startswith('{"kind":"position"')]
        expect(len(decoded) == 1, "no position object from skyloom-decode")
        want = decoded[0]
        expect(want["fixes"] > 50, "the capture has %d fixes" % want["fixes"])
        open_window()
        choose("Log File:")
        drive("post-click", IDC_START_GPS)
        drive("dialog", escape("Open Recording"), escape(win_path), 10000)
        # The whole capture: the last fix brings its count, and a sentence
        # after it (GST) may still move the figures until the next refresh.
        def disagreement():
            text = figures()
            if "Fixes: %d\r\n" % want["fixes"] not in text:
                return "not all %d fixes: %r" % (want["fixes"], text)
            got = shown(text)
            return next(("%s: the window shows %r, skyloom-decode %r" % (
                label, got.get(label), want[key]) for key, label, _ in FIGURES_SHOWN
                if got.get(label) != as_text(key, want[key])), None)

        wait_until_agreed("the window to agree with skyloom-decode", disagreement, 60, 0.5)
        q = want["byQuality"]
        line = "GPS %d, DGPS %d, PPS %d, RTK fixed %d, RTK float %d; other %d" % (
            q["gps"], q["dgps"], q["pps"], q["rtkFixed"], q["rtkFloat"], q["other"])
        expect(line in figures(), "by quality: %r, expected %r" % (figures(), line))

        if os.path.exists(csv_unix):
            os.remove(csv_unix)
        drive("post-click", SAVE)
        drive("dialog", escape("Save Position Fixes"), escape(csv_win), 10000)
        wait_for("the whole CSV file", lambda: os.path.exists(csv_unix) and
                 open(csv_unix, "rb").read().endswith(b"\r\n") and
                 b"\r\nseconds," in open(csv_unix, "rb").read(), 10)
        with open(csv_unix, newline="") as f:
            rows = list(csv.reader(f))
        blank = rows.index([])
        expect(blank == want["fixes"] + 1, "%d fix rows, %d fixes" % (blank - 1, want["fixes"]))
        expect(rows[0][:3] == ["utc", "latitude", "longitude"], "header %r" % rows[0])
        named = dict(r for r in rows[blank + 1:] if len(r) == 2)
        for key, _, name in FIGURES_SHOWN:
            value = "" if want[key] is None else as_text(key, want[key])
            expect(named.get(name) == value, "CSV %s %r, skyloom-decode %r" % (
                name, named.get(name), want[key]))
        drive("click", IDC_START_GPS)
        expect(drive.text(IDC_START_GPS) == "Start GPS", "playback did not close")

    def live_rtk_float_with_gst():
        sim = Simulator(env, args.sim, pty.host, "sim-position", "--baud", "115200",
                        "--fix-after", "0", "--rate-hz", "5", "--speed", "0", "--wander", "3",
                        "--quality", "rtk-float", "--seed", "3")
        sims.append(sim)
        choose("(COM%d)" % COM)
        drive("select", IDC_BAUD, 8)
        drive("click", IDC_START_GPS)
        wait_for("GGA in the console", lambda: "$GNGGA," in drive.text("console"), 10)
        drive("click", RESET)

        def fixes():
            m = re.search(r"Fixes: (\d+)\r\n", figures())
            return int(m.group(1)) if m else 0
        wait_for("50 live fixes", lambda: fixes() >= 50, 60, 0.5)
        got = shown(figures())
        text = figures()
        n = fixes()
        expect(re.search(r"GPS 0, DGPS 0, PPS 0, RTK fixed 0, RTK float \d+; other 0", text),
               "qualities %r" % text)
        # The simulator states its wander as its estimate: 3 m each way, 4.5 up.
        expect(got.get("GST horizontal") == "4.243", "GST horizontal %r" % got.get("GST horizontal"))
        expect(got.get("GST vertical") == "4.500", "GST vertical %r" % got.get("GST vertical"))
        cep50 = float(got.get("CEP50", "0"))
        expect(0.3 < cep50 < 15, "CEP50 %.3f m for a wander of 3 m over %d fixes" % (cep50, n))
        drive("click", IDC_START_GPS)

    def run(name, test):
        # A failed test's source is closed, so the next one opens its own.
        try:
            results.run(name, test)
        finally:
            if drive.text(IDC_START_GPS) == "Close GPS":
                drive("click", IDC_START_GPS)

    try:
        run("position: playback agrees with skyloom-decode", playback_agrees_with_the_decoder)
        run("position: live RTK float with GST", live_rtk_float_with_gst)
    finally:
        close_program(env, drive, program, 5000)
        release_receivers(env, sims, [pty], [COM])
