#!/usr/bin/env python3
"""Reads what a Windows user sees of an .exe's version without running it.

    pe_resources.py version EXE        prints the VERSIONINFO: the fixed file
                                       and product versions, then every string
                                       (FileVersion=..., ProductVersion=...)
    pe_resources.py dialog-text EXE ID prints the texts of dialog resource ID,
                                       one a line

Standard library only, so it runs wherever the release is built. Exit code 1
when the file is not a PE image or lacks the resource asked for.
"""

import struct
import sys

RT_DIALOG = 5
RT_VERSION = 16


class PeError(Exception):
    pass


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        if magic == 0x20B:
            dirs = opt + 112
        elif magic == 0x10B:
            dirs = opt + 96
        else:
            raise PeError("unknown optional header")
        self.res_rva, self.res_size = struct.unpack_from("<II", data, dirs + 2 * 8)
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((va, max(vsize, raw_size), raw_ptr))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise PeError("address 0x%x outside every section" % rva)

    def resource(self, type_id, name_id=None):
        """Bytes of the first resource of type_id (and name_id), any language."""
        if self.res_rva == 0:
            raise PeError("no resources")
        base = self.offset(self.res_rva)

        def entries(dir_off):
            named, ids = struct.unpack_from("<HH", self.data, base + dir_off + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + dir_off + 16 + 8 * i)
                yield name, target

        def find(dir_off, wanted):
            for name, target in entries(dir_off):
                if name & 0x80000000:
                    continue  # named entries are not used by this program
                if wanted is None or name == wanted:
                    return target
            return None

        level = find(0, type_id)
        if level is None or not level & 0x80000000:
            raise PeError("no resource of type %d" % type_id)
        level = find(level & 0x7FFFFFFF, name_id)
        if level is None or not level & 0x80000000:
            raise PeError("no resource %s of type %d" % (name_id, type_id))
        leaf = find(level & 0x7FFFFFFF, None)
        if leaf is None or leaf & 0x80000000:
            raise PeError("resource without data")
        rva, size = struct.unpack_from("<II", self.data, base + leaf)
        start = self.offset(rva)
        return self.data[start:start + size]


def read_utf16z(buf, pos):
    end = pos
    while end + 1 < len(buf) and buf[end:end + 2] != b"\0\0":
        end += 2
    return buf[pos:end].decode("utf-16-le"), end + 2


def align4(n):
    return (n + 3) & ~3


def version_nodes(buf, pos, end):
    """Walks the VS_VERSIONINFO tree: yields (key, value bytes, wType, children range)."""
    while pos + 6 <= end:
        length, value_len, kind = struct.unpack_from("<HHH", buf, pos)
        if length == 0:
            break
        key, after_key = read_utf16z(buf, pos + 6)
        value_at = align4(after_key)
        value_bytes = value_len * 2 if kind == 1 else value_len
        value = buf[value_at:value_at + value_bytes]
        children = align4(value_at + value_bytes)
        yield key, value, kind, children, pos + length
        pos = align4(pos + length)


def version_info(image):
    buf = image.resource(RT_VERSION)
    out = []
    for key, value, _, children, node_end in version_nodes(buf, 0, len(buf)):
        if key != "VS_VERSION_INFO":
            raise PeError("malformed version resource")
        sig, _, fv_ms, fv_ls, pv_ms, pv_ls = struct.unpack_from("<6I", value, 0)
        if sig != 0xFEEF04BD:
            raise PeError("no fixed file info")

        def quad(ms, ls):
            return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

        out.append("FixedFileVersion=" + quad(fv_ms, fv_ls))
        out.append("FixedProductVersion=" + quad(pv_ms, pv_ls))
        for k, _, _, tables, tables_end in version_nodes(buf, children, node_end):
            if k != "StringFileInfo":
                continue
            for _, _, _, strings, strings_end in version_nodes(buf, tables, tables_end):
                for name, text, _, _, _ in version_nodes(buf, strings, strings_end):
                    out.append("%s=%s" % (name, text.decode("utf-16-le").rstrip("\0")))
    return out


def sz_or_ord(buf, pos):
    """A DLGTEMPLATE name field: empty, an ordinal, or a string."""
    first = struct.unpack_from("<H", buf, pos)[0]
    if first == 0:
        return None, pos + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", buf, pos + 2)[0], pos + 4
    return read_utf16z(buf, pos)


def dialog_texts(image, dialog_id):
    """Caption and control texts of a dialog template (DLGTEMPLATE or EX)."""
    buf = image.resource(RT_DIALOG, dialog_id)
    extended = struct.unpack_from("<HH", buf, 0) == (1, 0xFFFF)
    if extended:
        _, _, _, _, style, count = struct.unpack_from("<HHIIIH", buf, 0)
        pos = 26
    else:
        style, _, count = struct.unpack_from("<IIH", buf, 0)
        pos = 18
    _, pos = sz_or_ord(buf, pos)  # menu
    _, pos = sz_or_ord(buf, pos)  # window class
    caption, pos = read_utf16z(buf, pos)
    texts = [caption]
    if style & 0x40:  # DS_SETFONT: point size (and weight, italic, charset) and face
        pos += 6 if extended else 2
        _, pos = read_utf16z(buf, pos)
    for _ in range(count):
        pos = align4(pos)
        pos += 24 if extended else 18
        _, pos = sz_or_ord(buf, pos)  # class
        title, pos = sz_or_ord(buf, pos)
        if isinstance(title, str):
            texts.append(title)
        extra = struct.unpack_from("<H", buf, pos)[0]
        pos += 2 + extra
    return texts


def main(argv):
    if len(argv) < 3 or argv[1] not in ("version", "dialog-text"):
        sys.stderr.write(__doc__)
        return 2
    try:
        with open(argv[2], "rb") as f:
            image = PeImage(f.read())
        if argv[1] == "version":
            lines = version_info(image)
        else:
            if len(argv) != 4:
                sys.stderr.write(__doc__)
                return 2
            lines = dialog_texts(image, int(argv[3]))
    except (OSError, PeError, struct.error, UnicodeDecodeError) as e:
        sys.stderr.write("%s: %s\n" % (argv[2], e))
        return 1
    for line in lines:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
