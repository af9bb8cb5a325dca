"""What a receiver capture's own sentences say the decoder must show, written
independently of the C++ core: which satellites each cycle lists, as (system,
number), and the positions its RMC sentences send. decode_check.py holds the
decoder's output against it."""
import re
from decimal import Decimal


def sentence_fields(text):
    """The fields of a delivered line, without '$', checksum and line end."""
    body = text.rstrip("\r\n")
    body = body[1:] if body.startswith("$") else body
    star = body.find("*")
    return (body[:star] if star >= 0 else body).split(",")


# Which satellite a number names, written independently of the C++ table:
# NMEA 0183 4.10/4.11 talkers and system IDs, the ranges receivers keep apart
# (first, last, system, own number of first), and BeiDou's PRN + 200, which
# only counts once a talker or system ID has said BeiDou.
TALKERS = {"GL": "GLONASS", "GA": "Galileo", "GB": "BeiDou", "BD": "BeiDou", "GQ": "QZSS",
           "QZ": "QZSS", "GI": "NavIC"}
SYSTEM_IDS = {"1": None, "2": "GLONASS", "3": "Galileo", "4": "BeiDou", "5": "QZSS",
              "6": "NavIC"}
RANGES = [(1, 32, "GPS", 1), (33, 64, "SBAS", 120), (65, 96, "GLONASS", 1),
          (120, 158, "SBAS", 120), (193, 202, "QZSS", 1), (301, 336, "Galileo", 1),
          (401, 437, "BeiDou", 1)]
OWN_ONLY = [(201, 263, "BeiDou", 1)]


def satellite(number, system):
    """(system, own number) of a number as sent; system None: the ranges decide."""
    if system is None:
        system = next((s for a, b, s, _ in RANGES if a <= number <= b), "GPS")
    for a, b, s, first in RANGES + OWN_ONLY:
        if s == system and a <= number <= b:
            return system, number - a + first
    return system, number


def leading_int(text):
    """The intake's "%d": blanks, a sign, digits; None without a digit."""
    m = re.match(r"[ \t\n\v\f\r]*([+-]?\d+)", text)
    return int(m.group(1)) if m else None


def gsv_satellites(fields):
    """The satellites a GSV line lists: the talker names the system; GN and
    others leave it to a system ID after the signal ID where one stands, else
    to the numbers. Four groups at most are read."""
    talker, groups = fields[0][-5:-3], fields[4:]
    system = TALKERS.get(talker)
    if len(groups) % 4 == 1:
        groups = groups[:-1]
    elif len(groups) % 4 == 2 and system is None and talker != "GP" \
            and groups[-1] in SYSTEM_IDS:
        system = SYSTEM_IDS[groups[-1]]
        groups = groups[:-2]
    listed = set()
    for n in groups[0::4][:4]:
        number = leading_int(n)
        if number is not None and number > 0:
            sat = satellite(number, system)
            if sat[1] <= 255:
                listed.add(sat)
    return listed


def sentence_kind(text):
    """The decoder a line goes to, in the intake's order."""
    return next((k for k in ("GGA", "RMC", "GSA", "GSV") if k in text), None)


def total_minutes(field):
    """ddmm.mmm... (any number of degree and decimal digits) in minutes."""
    whole, _, fraction = field.partition(".")
    return (int(whole) // 100) * 60 + int(whole) % 100 + Decimal("0." + (fraction or "0"))


def shown_minutes(text):
    degrees, _, minutes = text.partition("`")
    return int(degrees) * 60 + Decimal(minutes.rstrip("'"))


def check_capture_meaning(name, objects):
    """Returns the positions and redraws checked, and the first problem or
    None. Against the capture's own sentences: after every redraw the satellites
    in view are exactly those the cycle's GSV lines listed, as (system,
    number), and every position shown is the last one its RMC sent, cut
    (never rounded) only where the text fills its 14 characters. The first GSV
    message numbered 1 after a GGA starts the cycle's list; until a capture
    has started one, or after a line the model cannot follow (cut, or too
    short for its message number), the list is not checked."""
    position, positions, cycles = None, 0, 0
    listed, cleared, known = set(), False, False
    for obj in objects:
        if obj["kind"] == "line" and obj["decoded"]:
            text = obj["text"]
            fields = sentence_fields(text)
            kind = sentence_kind(text)
            if kind == "GGA":
                cleared = False
            elif kind == "GSV":
                if len(text) > 255 or len(fields) < 3:
                    known = False
                    continue
                if leading_int(fields[2]) == 1 and not cleared:
                    listed, cleared, known = set(), True, True
                listed |= gsv_satellites(fields)
            elif kind == "RMC" and len(fields) > 6 and fields[3] and fields[5]:
                position = fields
        elif obj["kind"] == "status":
            shown = {satellite(s["id"], s["system"]) for s in obj["satellites"]}
            if known and shown != listed:
                return positions, cycles, (
                    f"{name}: line {obj['n']} shows {sorted(shown - listed)} not listed and "
                    f"lacks {sorted(listed - shown)} listed in its cycle")
            cycles += known
            if not obj["latitude"]:
                continue
            for field, text in ((position and position[3], obj["latitude"]),
                                (position and position[5], obj["longitude"])):
                try:
                    sent, shown_minutes_ = total_minutes(field), shown_minutes(text)
                    digits = len(text.partition(".")[2]) - 1
                    ok = Decimal(0) <= sent - shown_minutes_ < Decimal(10) ** -digits \
                        and (sent == shown_minutes_ or len(text) == 14)
                except (AttributeError, ValueError, ArithmeticError):
                    ok = False
                if not ok:
                    return positions, cycles, (
                        f"{name}: line {obj['n']} shows {text!r} for the RMC field {field!r}")
            positions += 1
    return positions, cycles, None
