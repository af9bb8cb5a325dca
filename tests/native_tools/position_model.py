"""The position figures of a recording, worked out from its delivered lines
independently of the C++ core, with the definitions the README gives:
fixes from GGA (GNS where the recording has no GGA), quality 1 to 5 used and
6 to 8 counted apart, one fix per epoch, GST paired by time, east/north on
the WGS 84 plane at the reference, nearest-rank CEP, sample deviations."""
import math

from capture_model import sentence_fields

A = 6378137.0
F = 1 / 298.257223563
E2 = F * (2 - F)
BUCKETS = ["gps", "dgps", "pps", "rtkFixed", "rtkFloat"]
GNS_QUALITY = {m: q for q, m in enumerate("ADPRFEMS", 1)}


def number(text):
    """A plain decimal ("545.4", "-0.5", ".5") or None."""
    body = text.lstrip("+-")
    if not body or body.count(".") > 1 or not body.replace(".", "").isdigit():
        return None
    return float(text)


def angle(value, hemisphere, limit, positive, negative):
    v = number(value)
    if v is None or v < 0 or hemisphere not in (positive, negative):
        return None
    degrees = math.floor(v / 100)
    minutes = v - degrees * 100
    if minutes >= 60 or degrees + minutes / 60 > limit:
        return None
    return (degrees + minutes / 60) * (1 if hemisphere == positive else -1)


def time_of_day(text):
    v = number(text)
    if v is None or v < 0:
        return None
    h, m = math.floor(v / 10000), math.floor(v / 100) % 100
    s = v - h * 10000 - m * 100
    return None if h >= 24 or m >= 60 or s >= 61 else h * 3600 + m * 60 + s


def get(fields, i):
    return fields[i] if i < len(fields) else ""


def reports(lines, checksum_passes):
    """(kind, fields) of every GGA, GNS and GST with a good sum."""
    for text in lines:
        if len(text) < 7 or not checksum_passes(text):
            continue
        fields = sentence_fields(text)
        if len(fields[0]) == 5 and fields[0][2:] in ("GGA", "GNS", "GST"):
            yield fields[0][2:], fields


def fixes_of(lines, checksum_passes):
    """The used fixes as dicts, and the count of quality 6 to 8."""
    items = list(reports(lines, checksum_passes))
    source = "GGA" if any(k == "GGA" for k, _ in items) else "GNS"
    fixes, apart, pending, last_time, day, last_day_time = [], 0, None, None, 0.0, None
    for kind, f in items:
        if kind == "GST":
            t = time_of_day(get(f, 1))
            gst = (number(get(f, 6)), number(get(f, 7)), number(get(f, 8)))
            if fixes and last_time is not None and t is not None and fixes[-1]["kept"] \
                    and abs(t - last_time) < 0.005:
                fixes[-1]["gst"] = gst
            else:
                pending = (t, gst)
            continue
        if kind != source:
            continue
        t = time_of_day(get(f, 1))
        if fixes and fixes[-1]["kept"] and t is not None and last_time is not None \
                and abs(t - last_time) < 0.005:
            continue  # a second talker's report of the same epoch
        if kind == "GGA":
            q = number(get(f, 6))
            quality = int(q) if q is not None and 0 <= q <= 9 else 0
        else:
            # The best letter of any system: RTK over differential over plain.
            modes = get(f, 6)[:6]
            quality = next((GNS_QUALITY[m] for m in "RFPDAEMS" if m in modes), 0)
        alt = number(get(f, 9))
        lat = angle(get(f, 2), get(f, 3), 90, "N", "S")
        lon = angle(get(f, 4), get(f, 5), 180, "E", "W")
        if fixes:
            fixes[-1]["kept"] = False
        last_time = t
        if not 1 <= quality <= 8 or lat is None or lon is None:
            continue
        if t is not None:
            if last_day_time is not None and t < last_day_time - 43200:
                day += 86400
            last_day_time = t
        if quality >= 6:
            apart += 1
            continue
        gst = pending[1] if pending and t is not None and pending[0] is not None \
            and abs(pending[0] - t) < 0.005 else (None, None, None)
        fixes.append({"t": None if t is None else t + day, "lat": lat, "lon": lon, "alt": alt,
                      "q": quality, "gst": gst, "kept": True})
    return fixes, apart


def wrap(d):
    d = math.fmod(d, 360.0)
    return d + 360 if d < -180 else d - 360 if d >= 180 else d


def figures(fixes, apart, reference=None):
    """The position object's values; None where there is nothing to compute."""
    out = {"fixes": len(fixes),
           "byQuality": {b: sum(1 for x in fixes if x["q"] == i) for i, b in enumerate(BUCKETS, 1)}}
    out["byQuality"]["other"] = apart
    alts = [x["alt"] for x in fixes if x["alt"] is not None]
    if reference:
        lat0, lon0 = reference[0], reference[1]
        alt0 = reference[2] if len(reference) > 2 else (sum(alts) / len(alts) if alts else None)
    elif fixes:
        lat0 = sum(x["lat"] for x in fixes) / len(fixes)
        first = fixes[0]["lon"]
        lon0 = wrap(first + sum(wrap(x["lon"] - first) for x in fixes) / len(fixes))
        alt0 = sum(alts) / len(alts) if alts else None
    else:
        lat0 = lon0 = alt0 = None
    out.update(refLat=lat0, refLon=lon0, refAlt=alt0)
    if not fixes:
        for k in ("cep50", "cep95", "drms", "twoDrms", "maxH", "sdEast", "sdNorth", "sdUp",
                  "altMean", "altMin", "altMax", "gstH", "gstV", "seconds"):
            out[k] = None
        return out
    s = math.sin(math.radians(lat0))
    w = 1 - E2 * s * s
    m, n = A * (1 - E2) / w ** 1.5, A / math.sqrt(w)
    east = [math.radians(wrap(x["lon"] - lon0)) * n * math.cos(math.radians(lat0)) for x in fixes]
    north = [math.radians(x["lat"] - lat0) * m for x in fixes]
    up = [x["alt"] - alt0 for x in fixes if x["alt"] is not None]
    d = sorted(math.hypot(e, no) for e, no in zip(east, north))

    def rank(fraction):
        return d[max(1, math.ceil(fraction * len(d))) - 1]

    def sd(values):
        if len(values) < 2:
            return None
        mean = sum(values) / len(values)
        return math.sqrt(sum((v - mean) ** 2 for v in values) / (len(values) - 1))

    drms = math.sqrt(sum(v * v for v in d) / len(d))
    gh = [math.hypot(x["gst"][0], x["gst"][1]) for x in fixes
          if x["gst"][0] is not None and x["gst"][1] is not None]
    gv = [x["gst"][2] for x in fixes if x["gst"][2] is not None]
    times = [x["t"] for x in fixes if x["t"] is not None]
    out.update(cep50=rank(0.5), cep95=rank(0.95), drms=drms, twoDrms=2 * drms, maxH=d[-1],
               sdEast=sd(east), sdNorth=sd(north), sdUp=sd(up),
               altMean=sum(alts) / len(alts) if alts else None,
               altMin=min(alts) if alts else None, altMax=max(alts) if alts else None,
               gstH=sum(gh) / len(gh) if gh else None, gstV=sum(gv) / len(gv) if gv else None,
               seconds=max(times) - min(times) if times else None)
    return out


def compare(name, got, want):
    """A problem text, or None. Metres to 3 decimals, degrees to 9: one unit
    of the last digit either way for the rounding of a different sum."""
    if got.get("fixes") != want["fixes"] or got.get("byQuality") != want["byQuality"]:
        return f"{name}: fixes {got.get('fixes')} {got.get('byQuality')}, " \
               f"expected {want['fixes']} {want['byQuality']}"
    for key, value in want.items():
        if key in ("fixes", "byQuality"):
            continue
        g = got.get(key)
        tolerance = 2e-9 if key in ("refLat", "refLon") else 1.5e-3
        if (g is None) != (value is None) or (g is not None and abs(g - value) > tolerance):
            return f"{name}: {key} is {g}, expected {value}"
    return None
