#!/usr/bin/env python3
"""End-to-end checks of skyloom-decode: runs the real executable (natively or
under an emulator such as Wine) and checks its JSON Lines against the rules
of its output and, where given, against expected output files.

usage: decode_check.py [--emulator PROG] DECODER MODE ARGS...
  expected RECORDING EXPECTED [OPTION...]  output equals EXPECTED exactly
  captures DIR                             every *.pgl decodes to valid output, showing
                                           only satellites and positions it sent
  cli RECORDING VERSION_FILE               options, standard input, errors
  generated GENERATOR                      a generated stream decodes cleanly
  stats DIR                                --stats on every *.pgl agrees with the
                                           figures worked out here, and on made
                                           recordings across midnight and the
                                           antimeridian, with a given reference
"""
import json
import math
import os
import subprocess
import sys
import tempfile

from capture_model import check_capture_meaning
import position_model

LINE_KEYS = ["kind", "n", "text", "color", "decoded", "shown"]
STATUS_KEYS = ["kind", "n", "caption", "date", "time", "course", "speed", "fixState", "hdop",
               "pdop", "latHemisphere", "latitude", "lonHemisphere", "longitude", "satellites"]
SAT_KEYS = ["id", "system", "used", "snr", "x", "y", "el", "az"]
SYSTEMS = ["GPS", "SBAS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC"]
SUMMARY_KEYS = ["kind", "lines", "droppedTooLong", "droppedUnterminated", "checksumFailures",
                "redraws", "ttffSeconds"]
POSITION_KEYS = ["kind", "fixes", "byQuality", "reference", "refLat", "refLon", "refAlt",
                 "cep50", "cep95", "drms", "twoDrms", "maxH", "sdEast", "sdNorth", "sdUp",
                 "altMean", "altMin", "altMax", "gstH", "gstV", "seconds"]
QUALITY_KEYS = ["gps", "dgps", "pps", "rtkFixed", "rtkFloat", "other"]

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


class Decoder:
    def __init__(self, exe, emulator):
        self.prefix = ([emulator] if emulator else []) + [exe]
        self.emulated = bool(emulator)

    def run(self, args, stdin=None, env=None, stdout=subprocess.PIPE):
        return subprocess.run(self.prefix + args, input=stdin, stdout=stdout,
                              stderr=subprocess.PIPE, env=env, timeout=300)


def on_classic_chart(sat):
    """x and y are where the 155-pixel chart shows el and az (its zenith at
    77, 0.7 pixels a degree, 3.14159 for pi, truncated), (0, 0) while the
    satellite has no place in the sky; el and az are both known or both null."""
    el, az = sat["el"], sat["az"]
    if el is None or az is None:
        return el is None and az is None and sat["x"] == 0 and sat["y"] == 0
    if not is_int(el) or not is_int(az):
        return False
    angle = (az - 90.0) * 3.14159 / 180.0
    r = (90.0 - el) * 0.7
    return (sat["x"], sat["y"]) == (int(math.cos(angle) * r + 77.0),
                                    int(math.sin(angle) * r + 77.0))


def frame(data):
    """The reader's rules, written independently of the C++ framer: at most 510
    characters before the line feed, an over-long line dropped with the byte
    that overflows it, a partial line at the end never delivered. Returns the
    lines as the intake receives them (units up to the first 0), the number
    dropped for length and whether a partial line was left at the end."""
    lines, buf, too_long = [], bytearray(), 0
    for b in data:
        if len(buf) > 510:
            buf = bytearray()
            too_long += 1
            continue
        if b == 0x0A:
            buf.append(b)
            text = bytes(buf).split(b"\x00")[0]
            lines.append("".join(chr(c) if c < 0x80 else chr(0xFF00 + c) for c in text))
            buf = bytearray()
            continue
        buf.append(b)
    return lines, too_long, 1 if buf else 0


def checksum_passes(text):
    """The intake's checksum verdict on a delivered line, written independently
    of the C++: a line longer than the working copy's 255 units is cut and
    fails; the line ends in CR LF or in LF alone; '*' and exactly two digits
    stand before that end and state the exclusive-or of the low bytes between
    the first character and the '*'. A digit's value is its low byte less 87
    from 'a' up, less 55 from 'A' up, less 48 from '0' up, else the byte."""
    if len(text) > 255:
        return False
    for end in ("\r\n", "\n"):
        if text.endswith(end):
            body = text[:-len(end)]
            break
    else:
        return False
    if len(body) < 3 or body[-3] != "*":
        return False
    computed = 0
    for c in body[1:-3]:
        computed ^= ord(c) & 0xFF

    def digit(c):
        b = ord(c) & 0xFF
        return b - 87 if b >= 0x61 else b - 55 if b >= 0x41 else b - 48 if b >= 0x30 else b
    return computed == (digit(body[-2]) * 16 + digit(body[-1])) & 0xFF


def is_int(v):
    return isinstance(v, int) and not isinstance(v, bool)


def validate(name, out, data=None):
    """Checks the structure of one run's output; with the input bytes, also
    that the delivered lines are exactly those the reader would deliver."""
    if not out.endswith(b"\n"):
        fail(f"{name}: output does not end with a line feed")
        return None
    objects = []
    for i, raw in enumerate(out.split(b"\n")[:-1], 1):
        try:
            obj = json.loads(raw.decode("ascii"))
        except (UnicodeDecodeError, ValueError) as e:
            fail(f"{name}: output line {i} is not ASCII JSON: {e}")
            return None
        if not isinstance(obj, dict):
            fail(f"{name}: output line {i} is not an object")
            return None
        objects.append(obj)
    if not objects or objects[-1].get("kind") != "summary":
        fail(f"{name}: the last object is not the summary")
        return None
    lines, statuses = [], 0
    for i, obj in enumerate(objects):
        kind = obj.get("kind")
        if kind == "line":
            if list(obj) != LINE_KEYS or not is_int(obj["n"]) or obj["n"] != len(lines) + 1 \
                    or not isinstance(obj["text"], str) \
                    or obj["color"] not in ("black", "red", "green") \
                    or not isinstance(obj["decoded"], bool) or not isinstance(obj["shown"], bool):
                fail(f"{name}: bad line object {obj}")
                return None
            lines.append(obj)
        elif kind == "status":
            sats = obj.get("satellites")
            ok = list(obj) == STATUS_KEYS and lines and obj["n"] == lines[-1]["n"] \
                and objects[i - 1].get("kind") == "line" \
                and all(isinstance(obj[k], str) for k in STATUS_KEYS[2:-1]) \
                and isinstance(sats, list)
            keys = [(s.get("id"), SYSTEMS.index(s.get("system"))) for s in sats
                    if s.get("system") in SYSTEMS] if ok else []
            ok = ok and all(list(s) == SAT_KEYS and s["system"] in SYSTEMS
                            and all(is_int(s[k]) for k in SAT_KEYS[:-2] if k != "system")
                            and s["used"] in (0, 1) and on_classic_chart(s) for s in sats) \
                and all(i > 0 for i, _ in keys) and keys == sorted(set(keys))
            if not ok:
                fail(f"{name}: bad status object {obj}")
                return None
            statuses += 1
        elif kind == "position":
            ok = list(obj) == POSITION_KEYS and i == len(objects) - 2 \
                and list(obj["byQuality"]) == QUALITY_KEYS \
                and obj["reference"] in ("mean", "given") \
                and all(obj[k] is None or isinstance(obj[k], (int, float))
                        for k in POSITION_KEYS[4:])
            if not ok:
                fail(f"{name}: bad position object {obj}")
                return None
        elif kind == "summary":
            if i != len(objects) - 1:
                fail(f"{name}: summary before the end")
                return None
        else:
            fail(f"{name}: unknown object kind {kind!r}")
            return None
    summary = objects[-1]
    failing = 0
    for l in lines:
        passes = checksum_passes(l["text"])
        failing += not passes
        # Green (a fast RMC) replaces the verdict's colour, whatever it was.
        if l["color"] != "green" and (l["color"] == "black") != passes:
            fail(f"{name}: line {l['n']} is {l['color']} against its checksum: {l['text']!r}")
            return None
    if list(summary) != SUMMARY_KEYS or summary["lines"] != len(lines) \
            or not all(is_int(summary[k]) and summary[k] >= 0
                       for k in ("droppedTooLong", "droppedUnterminated")) \
            or summary["redraws"] != statuses \
            or summary["checksumFailures"] != failing \
            or not (summary["ttffSeconds"] is None
                    or (is_int(summary["ttffSeconds"]) and summary["ttffSeconds"] >= 3)):
        fail(f"{name}: summary {summary} disagrees with the output "
             f"({len(lines)} lines, {statuses} status objects, {failing} failing checksums)")
    if data is not None:
        expected, too_long, unterminated = frame(data)
        dropped = (summary.get("droppedTooLong"), summary.get("droppedUnterminated"))
        if dropped != (too_long, unterminated):
            fail(f"{name}: summary counts {dropped} dropped lines, the reader's rules drop "
                 f"{(too_long, unterminated)}")
        got = [l["text"] for l in lines]
        if got != expected:
            first = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b),
                         min(len(got), len(expected)))
            fail(f"{name}: delivered lines differ from the reader's rules at line {first + 1} "
                 f"({len(got)} delivered, {len(expected)} expected)")
    return objects


def run_ok(decoder, name, args, **kw):
    r = decoder.run(args, **kw)
    if r.returncode != 0:
        fail(f"{name}: exit {r.returncode}, stderr {r.stderr.decode(errors='replace')!r}")
        return None
    return r.stdout


def mode_expected(decoder, recording, expected_file, options):
    name = os.path.basename(recording) + " " + " ".join(options)
    out = run_ok(decoder, name, options + [recording])
    if out is None:
        return
    data = open(recording, "rb").read()
    validate(name, out, data)
    expected = open(expected_file, "rb").read()
    if out != expected:
        got, want = out.split(b"\n"), expected.split(b"\n")
        i = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
        fail(f"{name}: output differs from {os.path.basename(expected_file)} at line {i + 1}:\n"
             f"  got:  {got[i] if i < len(got) else b'(end)'!r}\n"
             f"  want: {want[i] if i < len(want) else b'(end)'!r}")


def mode_captures(decoder, directory):
    names = sorted(f for f in os.listdir(directory) if f.endswith(".pgl"))
    if not names:
        fail(f"no captures in {directory}")
    positions = cycles = 0
    for f in names:
        path = os.path.join(directory, f)
        out = run_ok(decoder, f, ["--utc-offset=0", path])
        objects = validate(f, out, open(path, "rb").read()) if out is not None else None
        if objects is not None:
            p, c, problem = check_capture_meaning(f, objects)
            positions, cycles = positions + p, cycles + c
            if problem:
                fail(problem)
    print(f"{len(names)} captures checked, {positions} positions shown as sent, "
          f"{cycles} redraws showing exactly the satellites listed")


def expect_error(decoder, name, args, code, stdin=None):
    r = decoder.run(args, stdin=stdin)
    err = r.stderr.decode(errors="replace")
    if not decoder.emulated:
        # Wine adds its own chatter on standard error; natively it is one line.
        if err.count("\n") != 1 or not err.startswith("skyloom-decode: "):
            fail(f"{name}: expected one 'skyloom-decode: ...' line on stderr, got {err!r}")
    if r.returncode != code:
        fail(f"{name}: exit {r.returncode}, expected {code} (stderr {err!r})")
    if r.stdout:
        fail(f"{name}: wrote {len(r.stdout)} bytes of output on failure")


def mode_cli(decoder, recording, version_file):
    data = open(recording, "rb").read()
    from_file = run_ok(decoder, "file", ["--utc-offset=60", "--line-ms=1000", recording])
    from_stdin = run_ok(decoder, "stdin", ["--utc-offset", "60", "--line-ms", "1000", "-"],
                        stdin=data)
    if from_file is None or from_stdin is None or from_file != from_stdin:
        fail("standard input and the file decode differently")
    validate("stdin", from_stdin or b"", data)
    # Megabytes without a line feed deliver no line: the summary must say why.
    garbage = (bytes(range(0x0B, 0x100)) * 20000)[:3 * 2**20 + 100]
    out = run_ok(decoder, "garbage", ["--utc-offset=0", "-"], stdin=garbage)
    objects = validate("garbage", out, garbage) if out is not None else None
    if objects is not None and (objects[-1]["lines"], objects[-1]["droppedTooLong"],
                                objects[-1]["droppedUnterminated"]) != (0, 6144, 1):
        fail(f"garbage: summary {objects[-1]}")
    missing = os.path.join(tempfile.gettempdir(), "skyloom-no-such-recording.pgl")
    table = [
        ("missing file", [missing], 1),
        ("directory as input", [os.path.dirname(os.path.abspath(recording))], 1),
        ("unknown option", ["--bogus", recording], 2),
        ("unknown short option", ["-x", recording], 2),
        ("offset not a number", ["--utc-offset=abc", recording], 2),
        ("offset with trailing text", ["--utc-offset=60m", recording], 2),
        ("offset beyond a day", ["--utc-offset=1441", recording], 2),
        ("offset empty", ["--utc-offset=", recording], 2),
        ("offset value missing", [recording, "--utc-offset"], 2),
        ("negative line time", ["--line-ms=-1", recording], 2),
        ("line time past 32 bits", ["--line-ms=4294967296", recording], 2),
        ("no input", ["--line-ms=5"], 2),
        ("two inputs", [recording, recording], 2),
        ("reference without --stats", ["--reference=48,11", recording], 2),
        ("reference latitude beyond the pole", ["--stats", "--reference=90.5,11", recording], 2),
        ("reference with one number", ["--stats", "--reference=48.1", recording], 2),
        ("reference empty", ["--stats", "--reference=", recording], 2),
    ]
    if decoder.emulated:
        # Every start under Wine costs seconds: one case of each kind there.
        table = [row for row in table if row[0] in (
            "missing file", "directory as input", "unknown option", "offset not a number",
            "line time past 32 bits", "reference latitude beyond the pole")]
    for name, args, code in table:
        expect_error(decoder, name, args, code)
    # Bounds that must still be accepted.
    bounds = [["--utc-offset=-1440"], ["--utc-offset=+1440"], ["--line-ms=4294967295"],
              ["--line-ms=0"]]
    for args in bounds[:1] if decoder.emulated else bounds:
        run_ok(decoder, " ".join(args), args + [recording])
    version = run_ok(decoder, "--version", ["--version"])
    want = open(version_file).read().split()[0]
    if version is None or version.decode().strip() != want:
        fail(f"--version printed {version!r}, expected {want!r}")
    usage = run_ok(decoder, "--help", ["--help"])
    if usage is None or b"usage: skyloom-decode" not in usage:
        fail("--help does not print the usage")
    if not decoder.emulated:
        # A full disk must not pass for a finished decode.
        if os.path.exists("/dev/full"):
            with open("/dev/full", "wb") as full:
                r = decoder.run([recording], stdout=full)
            if r.returncode != 1 or b"cannot write" not in r.stderr:
                fail(f"writing to a full disk: exit {r.returncode}, stderr {r.stderr!r}")
        # Without --utc-offset the zone of the machine applies.
        for tz, minutes in (("UTC0", 0), ("<+0530>-05:30", 330), ("<-03>3", -180)):
            env = dict(os.environ, TZ=tz)
            default = run_ok(decoder, f"TZ={tz}", ["--line-ms=1000", recording], env=env)
            explicit = run_ok(decoder, f"offset {minutes}",
                              [f"--utc-offset={minutes}", "--line-ms=1000", recording])
            if default is None or default != explicit:
                fail(f"TZ={tz}: the default offset is not {minutes} minutes")


def mode_generated(decoder, generator):
    cycles = 1000  # several megabytes of output: the writer flushes along the way
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "generated.pgl")
        subprocess.run([generator, str(cycles), path], check=True, timeout=60)
        data = open(path, "rb").read()
        out = run_ok(decoder, "generated", ["--utc-offset=0", path])
    objects = validate("generated", out or b"\n", data)
    if objects is None:
        return
    summary = objects[-1]
    # Nine sentences a cycle, all with good sums; GGA and the last message of
    # each GSV group redraw. Two GGA lines only start the clock: the very first
    # line, and the one after the fix is measured (the RMC of the third cycle,
    # 26 lines of 125 ms after the start).
    if summary["lines"] != 9 * cycles or summary["checksumFailures"] != 0 \
            or summary["redraws"] != 3 * cycles - 2 or summary["ttffSeconds"] != 3:
        fail(f"generated stream: unexpected summary {summary}")
    last = [o for o in objects if o["kind"] == "status"][-1]
    sats = last["satellites"]
    if len(sats) != 20 or sum(s["used"] for s in sats) != 20 or last["fixState"] != "3D" \
            or last["speed"].split()[0] == "0" or not last["latitude"].startswith("48`"):
        fail(f"generated stream: unexpected last status {last}")


def nmea(body):
    total = 0
    for c in body.encode():
        total ^= c
    return f"${body}*{total:02X}\r\n"


# Made recordings for what the captures never show, with what a hand works
# out for them beside the model: (name, lines, --reference, checks).
def made_recordings():
    midnight = [nmea(f"GPGGA,{t},0000.0000,N,17959.9994,{h},4,12,0.7,{a},M,0.0,M,1,0001")
                for t, h, a in (("235958.00", "E", "10.0"), ("235959.00", "W", "12.0"),
                                ("000001.00", "W", "14.0"))]
    midnight.insert(1, nmea("GPGST,235958.00,1.0,1.0,1.0,0.0,0.030,0.040,0.120"))
    midnight.append(nmea("GPGGA,000002.00,0000.0000,N,17959.9994,W,6,12,0.7,14.0,M,0.0,M,,"))
    # 0.0006 minutes of longitude on the equator is 1.113 m either side.
    gns_only = [nmea("GNGNS,120000.00,4807.0380,N,01131.0000,E,DR,20,0.6,500.0,47.0,1,0001,S"),
                nmea("GNGNS,120001.00,4807.0390,N,01131.0000,E,FA,20,0.6,501.0,47.0,1,0001,S"),
                nmea("GPGGA,120002.00,4807.0380,N,01131.0000,E,0,00,,,M,,M,,").replace("*", "*0")]
    return [
        ("across midnight and the antimeridian", midnight, None,
         {"fixes": 3, "seconds": 3.0, "gstH": 0.05, "gstV": 0.12, "altMean": 12.0}),
        ("the same, from a given point without altitude", midnight, "0,180",
         {"refLon": 180.0, "refAlt": 12.0, "maxH": 1.113}),
        ("GNS alone, the mode letters' best", gns_only, "48.1173,11.516666667,500",
         {"fixes": 2, "byQuality": {"gps": 0, "dgps": 0, "pps": 0, "rtkFixed": 1,
                                    "rtkFloat": 1, "other": 0}, "cep50": 0.0, "sdUp": 0.707}),
    ]


def position_of(decoder, name, path, options):
    out = run_ok(decoder, name, ["--utc-offset=0", "--stats"] + options + [path])
    objects = validate(name, out, open(path, "rb").read()) if out is not None else None
    return objects[-2] if objects and objects[-2].get("kind") == "position" else None


def mode_stats(decoder, directory):
    names = sorted(f for f in os.listdir(directory) if f.endswith(".pgl"))
    if decoder.emulated:
        # Every start under Wine costs seconds: DGPS with GST, GST of its own
        # kind, and a moving receiver there.
        names = [f for f in names if f in ("skytraq-dgps.pgl", "quectel-L70.pgl",
                                           "haicom-305N.pgl")]
    measured = 0
    for f in names:
        path = os.path.join(directory, f)
        lines = frame(open(path, "rb").read())[0]
        fixes, apart = position_model.fixes_of(lines, checksum_passes)
        runs = [([], None)]
        if fixes:
            # A given point: the first fix, a little off, without altitude.
            runs.append(([f"--reference={fixes[0]['lat'] + 1e-4:.9f},"
                          f"{fixes[0]['lon'] - 1e-4:.9f}"],
                         (fixes[0]["lat"] + 1e-4, fixes[0]["lon"] - 1e-4)))
            measured += 1
        for options, reference in runs:
            got = position_of(decoder, f, path, options)
            if got is None:
                fail(f"{f}: no position object")
                continue
            if got["reference"] != ("given" if reference else "mean"):
                fail(f"{f}: reference {got['reference']}")
            problem = position_model.compare(f + " " + " ".join(options), got,
                                             position_model.figures(fixes, apart, reference))
            if problem:
                fail(problem)
    with tempfile.TemporaryDirectory() as tmp:
        for name, lines, reference, checks in made_recordings():
            path = os.path.join(tmp, "made.pgl")
            with open(path, "w", newline="") as out:
                out.write("".join(lines))
            options = [f"--reference={reference}"] if reference else []
            got = position_of(decoder, name, path, options)
            if got is None:
                fail(f"{name}: no position object")
                continue
            model = position_model.figures(
                *position_model.fixes_of(frame(open(path, "rb").read())[0], checksum_passes),
                [float(v) for v in reference.split(",")] if reference else None)
            problem = position_model.compare(name, got, model)
            if problem:
                fail(problem)
            for key, value in checks.items():
                if isinstance(value, float) and got[key] is not None \
                        and abs(got[key] - value) <= 1.5e-3:
                    continue
                if got[key] != value:
                    fail(f"{name}: {key} is {got[key]}, worked out by hand as {value}")
    print(f"{len(names)} captures, {measured} with fixes, agree with the figures worked out here")


def main(argv):
    emulator = None
    if len(argv) > 2 and argv[1] == "--emulator":
        emulator = argv[2]
        argv = argv[:1] + argv[3:]
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    decoder = Decoder(argv[1], emulator)
    mode, args = argv[2], argv[3:]
    if mode == "expected":
        mode_expected(decoder, args[0], args[1], args[2:])
    elif mode == "captures":
        mode_captures(decoder, args[0])
    elif mode == "cli":
        mode_cli(decoder, args[0], args[1])
    elif mode == "generated":
        mode_generated(decoder, args[0])
    elif mode == "stats":
        mode_stats(decoder, args[0])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    if failures:
        print(f"{len(failures)} check(s) failed", file=sys.stderr)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
